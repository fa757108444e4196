#include "peak_refine.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// The largest bias of the estimator found over a sweep of tone offsets (1/256 bin), four
// phases and tones 12, 40 and 300 bins above 0 Hz in 4096 points, in bins of the padded
// spectrum, by window (menu order) and padding (x 1, 2, 4, 8), rounded up. Near 0 Hz the
// tone's mirror image at the negative frequency leaks into it: most under Rectangular and
// Hamming, whose far side lobes fall slowly.
constexpr std::array<std::array<double, 4>, kAnalysisWindowCount> kLargestBiasBins{{
    {0.19, 0.033, 0.051, 0.11},          // Rectangular
    {0.017, 0.0033, 0.00095, 0.00061},   // Hann
    {0.017, 0.0071, 0.015, 0.031},       // Hamming
    {0.0032, 0.00078, 0.0002, 0.00007},  // Blackman-Harris
    {0.00026, 0.00049, 0.00061, 0.0012}, // Flat top
}};
constexpr double kBiasMargin = 1.5;    // the measured bias, plus half again
constexpr double kRoundingBins = 0.02; // rounding of the transform, a neighbour's leakage
constexpr double kA440Hz = 440.0;
constexpr double kCentsPerOctave = 1200.0;
constexpr double kSemitonesPerOctave = 12.0;
constexpr float kA440X = 15900.0f; // twips: the pointer's x of 440 Hz
constexpr float kSemitoneX = 150.0f;

// The flat top's parabola. Its top is flat within 0.004 dB across a bin and even dips at its
// centre, so adjacent bins show ripple, not the lobe's curvature: its three bins lie one
// unpadded bin apart, and the vertex of their parabola, which leans towards the centre bin,
// is mapped back to the tone's offset through the window's own response.
constexpr std::int32_t kFlatTopTableSteps = 64; // offsets 0 .. 0.5 bin in steps of 1/128

// The vertex (in units of the bins' spacing) of the log-parabola through the flat top's
// response at three bins one unpadded bin apart, for a tone `e` bins above the middle one.
double FlatTopVertex(double e) {
    const double a = std::log(WindowResponse(AnalysisWindow::FlatTop, 1.0 + e));
    const double b = std::log(WindowResponse(AnalysisWindow::FlatTop, e));
    const double c = std::log(WindowResponse(AnalysisWindow::FlatTop, 1.0 - e));
    return 0.5 * (a - c) / (a - 2.0 * b + c);
}

// The tone's offset from the middle bin for a vertex v (-0.5 .. 0.5): the inverse of
// FlatTopVertex, which rises steadily from 0 to 0.5, by linear interpolation in its table.
double FlatTopOffset(double v) {
    static const std::array<double, kFlatTopTableSteps + 1> vertex = [] {
        std::array<double, kFlatTopTableSteps + 1> t{};
        for (std::int32_t i = 0; i <= kFlatTopTableSteps; ++i) {
            t[static_cast<std::size_t>(i)] = FlatTopVertex(0.5 * i / kFlatTopTableSteps);
        }
        return t;
    }();
    const double x = std::min(std::abs(v), 0.5);
    std::size_t i = 1;
    while (i < vertex.size() - 1 && vertex[i] < x) {
        ++i;
    }
    const double lo = vertex[i - 1];
    const double hi = vertex[i];
    const double fraction = hi > lo ? std::clamp((x - lo) / (hi - lo), 0.0, 1.0) : 0.0;
    const double e = 0.5 * (static_cast<double>(i - 1) + fraction) / kFlatTopTableSteps;
    return v < 0.0 ? -e : e;
}

// The vertex offset of the parabola through ln a, ln b, ln c, and its height; b is the
// largest. With a zero neighbour or no curvature, the middle bin itself.
struct Vertex {
    double offset = 0.0;
    double height = 0.0;
};
Vertex LogParabola(double a, double b, double c) {
    Vertex v{0.0, b};
    if (a > 0.0 && b > 0.0 && c > 0.0) {
        const double la = std::log(a);
        const double lb = std::log(b);
        const double lc = std::log(c);
        const double curvature = la - 2.0 * lb + lc;
        if (curvature < 0.0) {
            v.offset = std::clamp(0.5 * (la - lc) / curvature, -0.5, 0.5);
            v.height = std::exp(lb - 0.25 * (la - lc) * v.offset);
        }
    }
    return v;
}

std::size_t PaddingIndex(std::int32_t padding) {
    for (std::size_t i = 0; i < kPaddingFactors.size(); ++i) {
        if (kPaddingFactors[i] == padding) {
            return i;
        }
    }
    return kPaddingFactors.size() - 1;
}

double Cents(double f, double reference) {
    return kCentsPerOctave * std::log2(f / reference);
}

} // namespace

bool IsLocalMaximum(const MagnitudeSpectrum& s, std::int32_t k) {
    if (k < 2 || k > s.ftnpont - 2) {
        return false;
    }
    const double m = s.Mag(k);
    return m > s.Mag(k - 1) && m >= s.Mag(k + 1);
}

std::optional<std::int32_t> NearestLocalMaximum(const MagnitudeSpectrum& s, double nearBin) {
    if (s.ftnpont < 4 || !std::isfinite(nearBin)) {
        return std::nullopt;
    }
    const double clamped = std::clamp(nearBin, 2.0, static_cast<double>(s.ftnpont - 2));
    const auto start = static_cast<std::int32_t>(std::lround(clamped));
    for (std::int32_t d = 0; d <= s.ftnpont; ++d) {
        const bool below = IsLocalMaximum(s, start - d);
        const bool above = d > 0 && IsLocalMaximum(s, start + d);
        if (below && above) {
            // Equally near in whole bins: the nearer to the fractional bin, else the higher.
            const double dBelow = nearBin - (start - d);
            const double dAbove = (start + d) - nearBin;
            if (dBelow != dAbove) {
                return dBelow < dAbove ? start - d : start + d;
            }
            return s.Mag(start - d) >= s.Mag(start + d) ? start - d : start + d;
        }
        if (below) {
            return start - d;
        }
        if (above) {
            return start + d;
        }
        if (start - d < 2 && start + d > s.ftnpont - 2) {
            break;
        }
    }
    return std::nullopt;
}

RefinedPeak RefineMaximum(const MagnitudeSpectrum& s, std::int32_t k) {
    RefinedPeak p;
    p.maximumBin = k;
    p.uncertaintyHz = PeakUncertaintyHz(s.settings, s.BinHz());
    if (s.settings.window != AnalysisWindow::FlatTop) {
        const Vertex v = LogParabola(s.Mag(k - 1), s.Mag(k), s.Mag(k + 1));
        p.bin = k + v.offset;
        p.magnitude = v.height;
    } else {
        // Three bins one unpadded bin apart, the middle one the highest of them (a ripple
        // maximum may lie a few padded bins off the lobe's centre), where the spectrum has them.
        const std::int32_t spacing = std::min(s.settings.padding, std::max(1, s.ftnpont / 4));
        const std::int32_t first = 1 + spacing;
        const std::int32_t last = s.ftnpont - 1 - spacing;
        std::int32_t middle = std::clamp(k, first, last);
        for (std::int32_t step = 0; step < spacing; ++step) {
            if (s.Mag(middle + spacing) > s.Mag(middle) && middle < last) {
                ++middle;
            } else if (s.Mag(middle - spacing) > s.Mag(middle) && middle > first) {
                --middle;
            } else {
                break;
            }
        }
        const Vertex v =
            LogParabola(s.Mag(middle - spacing), s.Mag(middle), s.Mag(middle + spacing));
        const double e = FlatTopOffset(v.offset); // unpadded bins
        p.bin = middle + e * spacing;
        p.magnitude = s.Mag(middle) / WindowResponse(AnalysisWindow::FlatTop, e);
    }
    p.frequencyHz = p.bin * s.BinHz();
    return p;
}

std::optional<RefinedPeak> RefinedPeakNear(const MagnitudeSpectrum& s, double f) {
    if (!(s.rate > 0.0) || s.ftnpont < 4) {
        return std::nullopt;
    }
    const auto k = NearestLocalMaximum(s, f / s.BinHz());
    if (!k) {
        return std::nullopt;
    }
    return RefineMaximum(s, *k);
}

double PeakUncertaintyHz(const AnalysisSettings& settings, double binHz) {
    const double bias = kLargestBiasBins.at(static_cast<std::size_t>(settings.window))
                            .at(PaddingIndex(settings.padding));
    return (kBiasMargin * bias + kRoundingBins) * binHz;
}

std::optional<TemperedNote> NearestTemperedNote(double f, double uHz) {
    if (!(f > 0.0) || !std::isfinite(f)) {
        return std::nullopt;
    }
    TemperedNote t;
    const double semitones = kSemitonesPerOctave * std::log2(f / kA440Hz);
    t.n = static_cast<std::int32_t>(std::floor(semitones + 0.5));
    t.noteHz = kA440Hz * std::exp2(t.n / kSemitonesPerOctave);
    t.reading = NameNoteAt(kA440X + kSemitoneX * static_cast<float>(t.n));
    t.cents = Cents(f, t.noteHz);
    const double u = std::abs(uHz);
    const double above = Cents(f + u, f);
    const double below = u < f ? Cents(f, f - u) : std::numeric_limits<double>::infinity();
    t.uncertaintyCents = std::max(above, below);
    return t;
}
