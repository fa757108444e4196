// The analysis windows and zero padding of the spectrum view: which window weights the block
// before the transform, how much it is padded with zeros, and the whole analysis of a block
// into magnitudes that read the same height for an on-bin tone under every window. No toolkit.
//
// The windows are the periodic (DFT-even) cosine sums analysers use,
//   w_j = sum_k (-1)^k a_k cos(2 pi k j / N),  j = 0 .. N-1,
// normalised to 1 at their centre (j = N/2):
//   Rectangular      a = {1}
//   Hann             a = {0.5, 0.5}
//   Hamming          a = {0.54, 0.46}
//   Blackman-Harris  a = {0.35875, 0.48829, 0.14128, 0.01168} (4 terms, -92 dB side lobes)
//   Flat top         HFT90D (Heinzel, Ruediger and Schilling 2002), five coefficients
//                    {1, 1.942604, 1.340318, 0.440811, 0.043097} divided by their sum 4.76683:
//                    -90 dB side lobes and a peak height flat within 0.004 dB across a bin.
#pragma once

#include "spectrum_graph.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// In the order of the Analysis menu.
enum class AnalysisWindow { Rectangular, Hann, Hamming, BlackmanHarris, FlatTop };

constexpr std::size_t kAnalysisWindowCount = 5;

// Every window in menu order.
std::span<const AnalysisWindow> AnalysisWindows();
// The menu caption of a window: "Rectangular", "Hann", "Hamming", "Blackman-Harris", "Flat top".
const std::string& WindowCaption(AnalysisWindow w);

// The window's coherent gain: the mean of its N coefficients, which for these periodic cosine
// sums is a_0 exactly (1, 0.5, 0.54, 0.35875, 0.2097830). Windowed magnitudes are divided by
// it, so an on-bin sine has the same height under every window.
double CoherentGain(AnalysisWindow w);

// The window's response to a steady sine: the magnitude of its spectrum at `offset` bins
// (unpadded) from the sine, relative to its value at the sine, for a long block. 1 at 0; the
// main lobe and the side lobes that every windowed peak shows.
double WindowResponse(AnalysisWindow w, double offset);

// Width of the main lobe at -6 dB (WindowResponse 10^(-6/20)), in bins of the unpadded
// transform: the true resolution, two equal tones closer than this merge into one peak.
// About 1.21 (Rectangular), 2.0 (Hann), 1.81 (Hamming), 2.66 (Blackman-Harris), 4.71 (Flat top).
double MainLobeWidth6dB(AnalysisWindow w);

// The resolution band around the frequency at x on the pitch scale (picture twips): the
// frequencies within half a main-lobe width (MainLobeWidth6dB bins of the unpadded transform of
// `points` samples at `rate` Hz) of it, as x. Wide at low frequencies, narrow at high ones; a
// band that reaches 0 Hz has left -infinity. Both edges are x itself when points or rate is 0.
struct BandEdges {
    double left = 0.0;
    double right = 0.0;
};
BandEdges ResolutionBand(double x, AnalysisWindow w, std::int32_t points, std::int32_t rate);

// The N coefficients w_0 .. w_(N-1) of the periodic window (N >= 1).
std::vector<double> WindowCoefficients(AnalysisWindow w, std::int32_t N);

// Weights y[1 .. Npont] in place (1-based, y[0] untouched) by the window of Npont points.
// Rectangular leaves every sample untouched, bit for bit.
void ApplyWindow(std::span<double> y, std::int32_t Npont, AnalysisWindow w);

// The zero-padding factors of the Analysis menu, and the largest padded transform.
constexpr std::array<std::int32_t, 4> kPaddingFactors{1, 2, 4, 8};
constexpr std::int32_t kLargestPaddedPoints = 262144; // 32768 samples x 8

// What the Analysis menu chose: the window and the padding factor (1, 2, 4 or 8).
struct AnalysisSettings {
    AnalysisWindow window = AnalysisWindow::Rectangular;
    std::int32_t padding = 1;
};

// True for a padding factor of the menu.
bool IsPaddingFactor(std::int32_t k);

// Fills data[1 .. k Npont] (resized to k Npont + 1, data[0] = 0) with the Npont samples of
// y[1 .. Npont] weighted by the window, followed by (k - 1) Npont zeros. Leaves data empty
// when y holds fewer than Npont + 1 elements, Npont < 1 or k is no padding factor.
void PaddedBlock(std::span<const double> y, std::int32_t Npont, const AnalysisSettings& s,
                 std::vector<double>& data);

// The whole analysis of y[1 .. Npont] (1-based, read only): the padded, windowed block in
// `work`, REALFT of its k Npont / 2 complex points, and the magnitudes unpacked into `out` as
// the spectrum view unpacks them (UnpackSpectrum), then divided by the window's coherent gain
// (ReFt, ImFt, MagFt and MagMax alike; not at all for Rectangular). Bin k of `out` lies at
// k * rate / (k_pad Npont) Hz. Returns ftnpont = k Npont / 2, or 0 (out untouched) when Npont
// is not a power of two from 4 to 32768, y holds fewer than Npont + 1 elements, or the padding
// is not 1, 2, 4 or 8. With Rectangular and no padding the result is exactly FftWave's.
// `work` is the caller's, so a live analysis reuses it without allocating each block.
std::int32_t AnalyseBlock(std::span<const double> y, std::int32_t Npont, const AnalysisSettings& s,
                          std::vector<double>& work, SpectrumArrays& out);

// AnalyseBlock with the window's coefficients computed once by the caller
// (WindowCoefficients(s.window, Npont)), as a live analysis does for block after block: the
// same result bit for bit, without a cosine per sample. 0 as AnalyseBlock, or when the
// coefficients are not Npont.
std::int32_t AnalyseBlock(std::span<const double> y, std::int32_t Npont, const AnalysisSettings& s,
                          std::span<const double> coefficients, std::vector<double>& work,
                          SpectrumArrays& out);
