// What the waveform view asks of the analysis beside it: transform a block of samples, the
// peak mark, name the note at a place on the pitch scale and sound it. The program answers
// with the spectrum view's own handlers, the ones the user's mouse runs.
#pragma once

#include "base/block_source.h"

#include <cstdint>
#include <string>
#include <vector>

class AnalysisPort {
  public:
    virtual ~AnalysisPort() = default;
    // Names the source of the next block Analyse receives, kept with its spectrum.
    virtual void DescribeBlock(const BlockSource& source) = 0;
    // Transforms y[1 .. Npont] in place (y[0] unused) and draws its spectrum; Freq in Hz.
    virtual void Analyse(std::vector<double>& y, std::int32_t Npont, std::int32_t Freq) = 0;
    // The block of `source` could not be read (`cause` says why in a few words): no spectrum
    // of an earlier block may stay looking current.
    virtual void BlockUnread(const BlockSource& source, const std::string& cause) = 0;
    // Whether a peak is marked, and where (x on the spectrum picture, twips).
    virtual bool MarkedPeak() const = 0;
    virtual float XMark() const = 0;
    // Names the frequency, note and octave at x, as the mouse moving there does.
    virtual void NameNoteAt(float x) = 0;
    // Sounds the key of the note NameNoteAt named last, as a right-button press on the
    // keyboard does.
    virtual void SoundNamedNote() = 0;
    // Stops the note sounding, as releasing the keyboard's button does.
    virtual void StopNote() = 0;
};
