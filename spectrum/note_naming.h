// Naming of a pointer position on the pitch scale: the frequency text, whether it sits exactly
// on a semitone, the nearest semitone with its key x, MIDI note and octave, and the note name;
// the height readout; the x offsets of the harmonic comb. No toolkit.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// What the top row shows for a pointer at x (picture twips).
struct NoteReading {
    std::int16_t h = 0;        // distance from 440 Hz in tenths of a semitone
    std::string frequencyText; // the frequency rounded to thousandths, at most 7 digits
    bool onSemitone = false;   // exactly on a semitone: shown in red
    std::int32_t n = 0;        // nearest semitone counted from 440 Hz
    float KeyX = 0.0f;         // x of that semitone, 15900 + 150 n
    // MIDI note of that semitone, limited to 127; none below note 0 (the caller keeps its own).
    std::optional<std::uint8_t> NoteCode;
    std::int32_t octave = 0; // octaves change between B and C; 440 Hz is in octave 4
    std::int32_t row = 0;    // the semitone within its octave, 0 = A ... 11 = G#
    std::string name;        // "La  (A)" ... the note name of the semitone
};

NoteReading NameNoteAt(float X);

// The name of semitone row n (0 = A ... 11 = G#), with its exact blanks.
const std::string& NoteName(std::int32_t row);
// The letter name of semitone row n as the note name gives it in brackets, without blanks:
// "A", "A#/Bb" ... "G#/Ab".
const std::string& NoteLetters(std::int32_t row);

// The height readout: the text for a pointer at y, or nothing when y lies below the baseline or
// more than 10 twips above the top of the spectrum area. baseY and topY are taken as singles.
std::optional<std::string> HeightText(double baseY, double topY, float Y);

// x offsets of harmonics 2 .. 17 from the fundamental, twips, indexed 1 .. 16 (0 unused):
// 15 ln(i + 1) / ln(2^(1/120)), that is 1800 log2(i + 1).
std::array<double, 17> HarmonicOffsets();
