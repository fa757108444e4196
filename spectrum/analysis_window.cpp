#include "analysis_window.h"

#include "real_fft.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// The transform sizes the spectrum view holds before padding.
constexpr std::int32_t kSmallestBlock = 4;
constexpr std::int32_t kLargestBlock = 32768;

// HFT90D's coefficients as published, normalised below by their sum (its value at the centre).
constexpr double kFlatTopSum = 1.0 + 1.942604 + 1.340318 + 0.440811 + 0.043097;

// One window: its caption and its cosine-sum coefficients a_0 .. a_4 (unused ones 0).
struct WindowShape {
    std::string caption;
    std::array<double, 5> a;
};

const WindowShape& Shape(AnalysisWindow w) {
    static const std::array<WindowShape, kAnalysisWindowCount> shapes{{
        {"Rectangular", {1.0, 0, 0, 0, 0}},
        {"Hann", {0.5, 0.5, 0, 0, 0}},
        {"Hamming", {0.54, 0.46, 0, 0, 0}},
        {"Blackman-Harris", {0.35875, 0.48829, 0.14128, 0.01168, 0}},
        {"Flat top",
         {1.0 / kFlatTopSum, 1.942604 / kFlatTopSum, 1.340318 / kFlatTopSum, 0.440811 / kFlatTopSum,
          0.043097 / kFlatTopSum}},
    }};
    return shapes.at(static_cast<std::size_t>(w));
}

// The window's value at cos(2 pi j / N) = c: sum_k (-1)^k a_k T_k(c), with the Chebyshev
// recurrence T_(k+1) = 2 c T_k - T_(k-1) giving cos(2 pi k j / N) from one cosine.
double WindowAt(const std::array<double, 5>& a, double c) {
    double sum = a[0];
    double previous = 1.0; // T_0
    double current = c;    // T_1
    double sign = -1.0;
    for (std::size_t k = 1; k < a.size() && a[k] != 0.0; ++k) {
        sum += sign * a[k] * current;
        const double next = 2.0 * c * current - previous;
        previous = current;
        current = next;
        sign = -sign;
    }
    return sum;
}

// sin(pi x) / (pi x), 1 at 0.
double Sinc(double x) {
    if (x == 0.0) {
        return 1.0;
    }
    const double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

// cos(2 pi j / N).
double CosineAt(std::int32_t j, std::int32_t N) {
    return std::cos(2.0 * std::numbers::pi * static_cast<double>(j) / N);
}

bool BlockSizeOk(std::int32_t Npont) {
    return Npont >= kSmallestBlock && Npont <= kLargestBlock &&
           std::has_single_bit(static_cast<std::uint32_t>(Npont));
}

} // namespace

std::span<const AnalysisWindow> AnalysisWindows() {
    static constexpr std::array<AnalysisWindow, kAnalysisWindowCount> all{
        AnalysisWindow::Rectangular, AnalysisWindow::Hann, AnalysisWindow::Hamming,
        AnalysisWindow::BlackmanHarris, AnalysisWindow::FlatTop};
    return all;
}

const std::string& WindowCaption(AnalysisWindow w) {
    return Shape(w).caption;
}

double CoherentGain(AnalysisWindow w) {
    return Shape(w).a[0];
}

double WindowResponse(AnalysisWindow w, double offset) {
    // A cosine sum's spectrum is the sum of its terms' sinc kernels, shifted by k bins each:
    // a_0 sinc(d) + sum_k a_k / 2 (sinc(d - k) + sinc(d + k)), whose value at 0 is a_0.
    const auto& a = Shape(w).a;
    double sum = a[0] * Sinc(offset);
    for (std::size_t k = 1; k < a.size(); ++k) {
        const double shift = static_cast<double>(k);
        sum += a[k] / 2.0 * (Sinc(offset - shift) + Sinc(offset + shift));
    }
    return std::abs(sum) / a[0];
}

double MainLobeWidth6dB(AnalysisWindow w) {
    // The first offset where the response falls below -6 dB, found by a scan in hundredths of
    // a bin (the flat top's rises a little before it falls) and then by halving.
    const double level = std::pow(10.0, -6.0 / 20.0);
    constexpr double kStep = 0.01;
    double below = kStep;
    while (WindowResponse(w, below) >= level) {
        below += kStep;
    }
    double above = below - kStep;
    for (int i = 0; i < 50; ++i) {
        const double mid = (above + below) / 2.0;
        (WindowResponse(w, mid) >= level ? above : below) = mid;
    }
    return above + below;
}

BandEdges ResolutionBand(double x, AnalysisWindow w, std::int32_t points, std::int32_t rate) {
    if (points <= 0 || rate <= 0) {
        return {x, x};
    }
    // Found once per window: the pointer moves far more often than the width changes.
    static const std::array<double, kAnalysisWindowCount> widths = [] {
        std::array<double, kAnalysisWindowCount> all{};
        for (const AnalysisWindow each : AnalysisWindows()) {
            all[static_cast<std::size_t>(each)] = MainLobeWidth6dB(each);
        }
        return all;
    }();
    const double halfHz = widths.at(static_cast<std::size_t>(w)) * rate / points / 2.0;
    const double f = PitchFrequency(x);
    const double low = f - halfHz;
    return {low > 0.0 ? PitchX(low) : -std::numeric_limits<double>::infinity(), PitchX(f + halfHz)};
}

// REALFT of the padded, windowed block in `work` and its magnitudes unpacked into `out`,
// divided by the window's coherent gain; returns the bins.
std::int32_t TransformPadded(std::int32_t Npont, const AnalysisSettings& s,
                             std::vector<double>& work, SpectrumArrays& out);

std::vector<double> WindowCoefficients(AnalysisWindow w, std::int32_t N) {
    std::vector<double> c(static_cast<std::size_t>(std::max(N, 0)), 1.0);
    if (w == AnalysisWindow::Rectangular) {
        return c;
    }
    const auto& a = Shape(w).a;
    for (std::int32_t j = 0; j < N; ++j) {
        c[static_cast<std::size_t>(j)] = WindowAt(a, CosineAt(j, N));
    }
    return c;
}

void ApplyWindow(std::span<double> y, std::int32_t Npont, AnalysisWindow w) {
    if (w == AnalysisWindow::Rectangular || Npont < 1 ||
        y.size() < static_cast<std::size_t>(Npont) + 1) {
        return;
    }
    const auto& a = Shape(w).a;
    for (std::int32_t j = 0; j < Npont; ++j) {
        y[static_cast<std::size_t>(j) + 1] *= WindowAt(a, CosineAt(j, Npont));
    }
}

bool IsPaddingFactor(std::int32_t k) {
    return std::find(kPaddingFactors.begin(), kPaddingFactors.end(), k) != kPaddingFactors.end();
}

void PaddedBlock(std::span<const double> y, std::int32_t Npont, const AnalysisSettings& s,
                 std::vector<double>& data) {
    if (Npont < 1 || !IsPaddingFactor(s.padding) ||
        y.size() < static_cast<std::size_t>(Npont) + 1) {
        data.clear();
        return;
    }
    const std::size_t points = static_cast<std::size_t>(Npont);
    data.assign(points * static_cast<std::size_t>(s.padding) + 1, 0.0);
    std::copy_n(y.begin() + 1, points, data.begin() + 1);
    ApplyWindow(data, Npont, s.window);
}

std::int32_t AnalyseBlock(std::span<const double> y, std::int32_t Npont, const AnalysisSettings& s,
                          std::vector<double>& work, SpectrumArrays& out) {
    if (!BlockSizeOk(Npont) || !IsPaddingFactor(s.padding) ||
        y.size() < static_cast<std::size_t>(Npont) + 1) {
        return 0;
    }
    PaddedBlock(y, Npont, s, work);
    return TransformPadded(Npont, s, work, out);
}

std::int32_t AnalyseBlock(std::span<const double> y, std::int32_t Npont, const AnalysisSettings& s,
                          std::span<const double> coefficients, std::vector<double>& work,
                          SpectrumArrays& out) {
    if (!BlockSizeOk(Npont) || !IsPaddingFactor(s.padding) ||
        y.size() < static_cast<std::size_t>(Npont) + 1 ||
        coefficients.size() != static_cast<std::size_t>(Npont)) {
        return 0;
    }
    const std::size_t points = static_cast<std::size_t>(Npont);
    work.assign(points * static_cast<std::size_t>(s.padding) + 1, 0.0);
    if (s.window == AnalysisWindow::Rectangular) {
        std::copy_n(y.begin() + 1, points, work.begin() + 1);
    } else {
        for (std::size_t j = 0; j < points; ++j) {
            work[j + 1] = y[j + 1] * coefficients[j];
        }
    }
    return TransformPadded(Npont, s, work, out);
}

std::int32_t TransformPadded(std::int32_t Npont, const AnalysisSettings& s,
                             std::vector<double>& work, SpectrumArrays& out) {
    const std::int32_t n = s.padding * Npont / 2;
    REALFT(work, n, 1);
    UnpackSpectrum(work, n, out);
    if (s.window != AnalysisWindow::Rectangular) {
        const double gain = CoherentGain(s.window);
        for (std::int32_t k = 1; k <= n; ++k) {
            out.ReFt[static_cast<std::size_t>(k)] /= gain;
            out.ImFt[static_cast<std::size_t>(k)] /= gain;
            out.MagFt[static_cast<std::size_t>(k)] /= gain;
        }
        out.MagMax /= gain;
    }
    return n;
}
