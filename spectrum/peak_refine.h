// The refined peak of a spectrum: the local maximum nearest to a bin, interpolated between bins
// by a parabola through the logarithms of three magnitudes, with the uncertainty of its
// frequency and the nearest tempered note with the offset in cents. No toolkit.
//
// The estimator. The three bins are the local maximum and its two neighbours, except under the
// flat top: its top is flat within 0.004 dB across a bin and dips at its centre, so adjacent
// bins show ripple rather than the lobe's curvature; it takes bins one unpadded bin apart and
// maps the parabola's vertex back to the tone's offset through the window's own response.
//
// The uncertainty rule. The parabola is biased: for a steady tone between bins the estimate
// leans by an amount that depends on the window, the padding and the offset. Its largest value
// was measured for every window and padding (a pure tone swept across a bin in steps of 1/256
// bin at four phases, 12, 40 and 300 bins above 0 Hz in 4096 points) and is tabulated; u adds
// half of it again and 1/50 of a bin of the spectrum for the transform's rounding:
//   u = (1.5 x largest bias + 0.02) x bin spacing of the padded spectrum   (Hz).
// Examples at 4096 points and 44100 Hz: Hann 0.49 Hz unpadded, 0.028 Hz padded x 8;
// Rectangular 3.3 Hz unpadded. So u contains the true frequency of an isolated steady tone at
// least 12 bins from 0 Hz and the Nyquist frequency; it is no bound for noise, a gliding pitch,
// or two tones within a main-lobe width (MainLobeWidth6dB) of each other.
#pragma once

#include "analysis_window.h"
#include "note_naming.h"

#include <cstdint>
#include <optional>
#include <span>

// A magnitude spectrum as AnalyseBlock leaves it, with what it was made from.
struct MagnitudeSpectrum {
    std::span<const double> MagFt; // element k+1 is bin k (k = 0 .. ftnpont-1); element 1 pairs
                                   // 0 Hz with the Nyquist frequency and is never a peak
    std::int32_t ftnpont = 0;      // bins: padding x FftPoints / 2
    double rate = 0.0;             // sample rate of the block, Hz
    AnalysisSettings settings;     // the window and padding it was analysed with

    // Spacing of the bins on show, Hz: rate / (2 ftnpont).
    double BinHz() const { return rate / (2.0 * ftnpont); }
    // Width of a bin of the unpadded transform, Hz: rate / FftPoints (the true resolution).
    double ResolutionHz() const { return BinHz() * settings.padding; }
    // Magnitude of bin k (1 <= k < ftnpont).
    double Mag(std::int32_t k) const { return MagFt[static_cast<std::size_t>(k) + 1]; }
};

// A peak refined between bins.
struct RefinedPeak {
    std::int32_t maximumBin = 0; // the local maximum it was refined from
    double bin = 0.0;            // the peak's position in bins of the spectrum, fractional
    double frequencyHz = 0.0;    // bin x BinHz
    double magnitude = 0.0;      // the interpolated height, in MagFt's units
    double uncertaintyHz = 0.0;  // u of the rule above; the true frequency lies within +/- u
};

// True when bin k is a local maximum: above its lower neighbour and not below its upper one.
// Only bins 2 .. ftnpont-2 qualify, so both neighbours are real bins.
bool IsLocalMaximum(const MagnitudeSpectrum& s, std::int32_t k);

// The local maximum nearest to the fractional bin `nearBin` (at equal distance the higher
// one), or none when the spectrum has no maximum (silence, a constant block).
std::optional<std::int32_t> NearestLocalMaximum(const MagnitudeSpectrum& s, double nearBin);

// The peak refined from the local maximum k (IsLocalMaximum(s, k)).
RefinedPeak RefineMaximum(const MagnitudeSpectrum& s, std::int32_t k);

// The refined peak nearest to the frequency f (Hz), or none as NearestLocalMaximum.
std::optional<RefinedPeak> RefinedPeakNear(const MagnitudeSpectrum& s, double f);

// u of the rule above for a spectrum analysed with `settings` whose bins are binHz apart, Hz.
double PeakUncertaintyHz(const AnalysisSettings& settings, double binHz);

// The nearest equal-tempered note (A4 = 440 Hz) to a frequency, named as the spectrum view
// names the pointer's note.
struct TemperedNote {
    std::int32_t n = 0;            // semitones from 440 Hz
    double noteHz = 0.0;           // 440 x 2^(n / 12)
    NoteReading reading;           // name, octave, MIDI note and key x of that semitone
    double cents = 0.0;            // offset of the frequency from the note, -50 .. +50
    double uncertaintyCents = 0.0; // +/- u in cents, the wider side of the interval
};

// The tempered note nearest to f (Hz) with the offset of f and of f +/- uHz in cents; none
// unless f is above 0 and finite. A frequency exactly halfway between two notes takes the
// upper one, as the pointer's does.
std::optional<TemperedNote> NearestTemperedNote(double f, double uHz);
