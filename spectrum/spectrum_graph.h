// The spectrum graph's pure logic: the pitch scale (x of a frequency in picture twips), the
// tick rows of the frequency axis, the unpacking of a packed spectrum into magnitudes, and
// the vertical scale. No toolkit.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The pitch scale: x(f) = ln(f / f0) * K twips, 440 Hz at 15900, 150 twips per semitone.
constexpr double kPitchF0Hz = 0.964615822; // 106 semitones below 440 Hz, at x 0
constexpr double kPitchA440X = 15900.0;    // twips
constexpr double kSemitoneTwips = 150.0;   // twips per semitone
constexpr double kOctaveTwips = 1800.0;    // twips per octave

// Twips per unit of natural logarithm, 15900 / ln(440 / f0) (about 2596.851).
double PitchK();
// x of frequency f (Hz > 0) on the pitch scale, twips.
double PitchX(double f);
// The frequency at x on the pitch scale (Hz), the inverse of PitchX.
double PitchFrequency(double x);
// The x of an axis tick: the integer part (floor) of PitchX(f).
double TickX(double f);
// x of bin k of a spectrum of ftnpont bins from a block sampled at freqGraf Hz:
// ln(k / (f0 * B)) * K with B = 2 * ftnpont / freqGraf samples per hertz.
double BinX(std::int32_t k, std::int32_t ftnpont, std::int32_t freqGraf);

// The unpacked spectrum: element k+1 describes bin k (k = 0 .. N-1), element 0 unused.
struct SpectrumArrays {
    std::vector<double> ReFt, ImFt, MagFt;
    double MagMax = 0.0; // the largest magnitude of bins 1 .. N-1
};

// Unpacks the packed spectrum y[1 .. 2 ftnpont] into `out` (arrays grown to ftnpont + 1).
// Element 1 pairs F_0 (real) with F_N (as its imaginary part); bin 0 takes no part in MagMax.
void UnpackSpectrum(std::span<const double> y, std::int32_t ftnpont, SpectrumArrays& out);

// Twips per unit of magnitude so that MagMax reaches topY from baseY. A silent or constant
// selection (MagMax 0, or not finite) has no finite scale: 0, every bin on the baseline.
double MagnitudeScale(double baseY, double topY, double magMax);

// One row of ticks of the frequency axis, drawn in table order (later rows overdraw).
struct TickRow {
    std::int32_t first, last, step;     // Hz
    double tickEnd;                     // twips below the baseline where the tick ends
    bool circle;                        // a small circle at the tick's end
    std::int32_t labelFirst, labelLast; // the frequencies that get a label (0, 0: none)
    double labelDx, labelDy;            // label position relative to (X(f), baseline)
    bool kilo;                          // label in thousands followed by " K"
};

// The axis tick rows in drawing order.
std::span<const TickRow> AxisTickRows();
// The text printed for a labelled tick: " 2 ", " 100 ", " 5  K".
std::string TickLabel(const TickRow& row, std::int32_t f);
