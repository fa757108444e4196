// What the harmonic comb reads: for each of its 17 lines, the partial of the spectrum near it,
// refined between bins, with its deviation from the line in cents and its level relative to the
// strongest partial; and the peak to move the comb's fundamental to. No toolkit.
#pragma once

#include "peak_refine.h"

#include <array>
#include <cstdint>
#include <optional>

constexpr std::int32_t kCombLines = 17;     // the fundamental and harmonics 2 .. 17
constexpr double kPartialReach = 1.0 / 3.0; // a partial is searched within +/- f0 / 3 of a line
constexpr double kAbsentBelowDb = -60.0;    // weaker than this below the strongest: absent

// What became of one line of the comb.
enum class PartialStatus {
    Measured,   // a partial was found and refined
    BeyondBand, // the line lies above the Nyquist frequency
    Absent,     // no local maximum near the line, or one more than 60 dB below the strongest
};

// One line's reading. The measured fields hold 0 unless the status is Measured.
struct PartialReading {
    std::int32_t n = 0;  // 1 .. 17, the harmonic number
    double lineHz = 0.0; // n x f0
    PartialStatus status = PartialStatus::Absent;
    double measuredHz = 0.0;    // the refined peak's frequency
    double uncertaintyHz = 0.0; // +/- u of the refined peak (peak_refine.h)
    double cents = 0.0;         // 1200 log2(measured / line): above the line is positive
    double levelDb = 0.0;       // 20 log10(height / strongest height): 0 for the strongest
    double magnitude = 0.0;     // the refined height, in the spectrum's units
};

// The comb's reading. A comb whose fundamental lies below the first bin of the unpadded
// transform (rate / FftPoints: its lines are closer together than the analysis can resolve)
// measures nothing: fundamentalBelowFirstBin is set and every line is Absent.
struct CombReading {
    bool fundamentalBelowFirstBin = false;
    std::array<PartialReading, kCombLines> lines{};
};

// Reads the comb of fundamental f0 (Hz) off the spectrum: for line n the strongest local
// maximum within +/- f0/3 of n f0, refined; a line above rate / 2 is beyond the band; a
// maximum more than 60 dB below the strongest partial found is absent. Work is bounded by
// the bins within reach of the lines: well under a millisecond at 262144 points.
CombReading MeasurePartials(const MagnitudeSpectrum& s, double f0);

// "Fit comb to nearest peak": the frequency to move the comb's fundamental to. The peak the
// first line reads (the strongest local maximum within +/- f0/3 of f0, Hz), refined; with none
// there, the refined peak nearest to f0; none when the spectrum has no peak at all.
std::optional<double> FitCombToNearestPeak(const MagnitudeSpectrum& s, double f0);
