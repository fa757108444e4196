#include "partials.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kCentsPerOctave = 1200.0;

// The strongest local maximum among bins first .. last, or none. Most bins fall below the
// strongest so far, so that comparison comes first.
std::optional<std::int32_t> StrongestMaximum(const MagnitudeSpectrum& s, std::int32_t first,
                                             std::int32_t last) {
    const double* m = s.MagFt.data() + 1; // m[k] is bin k
    std::optional<std::int32_t> best;
    double bestMag = 0.0;
    const std::int32_t top = std::min(last, s.ftnpont - 2);
    for (std::int32_t k = std::max(first, 2); k <= top; ++k) {
        if ((!best || m[k] > bestMag) && m[k] > m[k - 1] && m[k] >= m[k + 1]) {
            best = k;
            bestMag = m[k];
        }
    }
    return best;
}

// The strongest local maximum within `reach` Hz of f, or none.
std::optional<std::int32_t> StrongestNear(const MagnitudeSpectrum& s, double f, double reach) {
    const double top = s.ftnpont;
    const double first = std::clamp(std::ceil((f - reach) / s.BinHz()), 0.0, top);
    const double last = std::clamp(std::floor((f + reach) / s.BinHz()), 0.0, top);
    return StrongestMaximum(s, static_cast<std::int32_t>(first), static_cast<std::int32_t>(last));
}

} // namespace

CombReading MeasurePartials(const MagnitudeSpectrum& s, double f0) {
    CombReading r;
    for (std::int32_t n = 1; n <= kCombLines; ++n) {
        PartialReading& line = r.lines[static_cast<std::size_t>(n - 1)];
        line.n = n;
        line.lineHz = n * f0;
    }
    if (s.ftnpont < 4 || !(s.rate > 0.0) || !std::isfinite(f0) || f0 < s.ResolutionHz()) {
        r.fundamentalBelowFirstBin = true;
        return r;
    }

    const double nyquist = s.rate / 2.0;
    const double reach = kPartialReach * f0;
    double strongest = 0.0;
    for (PartialReading& line : r.lines) {
        if (line.lineHz > nyquist) {
            line.status = PartialStatus::BeyondBand;
            continue;
        }
        const auto k = StrongestNear(s, line.lineHz, reach);
        if (!k) {
            continue; // Absent
        }
        const RefinedPeak peak = RefineMaximum(s, *k);
        line.status = PartialStatus::Measured;
        line.measuredHz = peak.frequencyHz;
        line.uncertaintyHz = peak.uncertaintyHz;
        line.magnitude = peak.magnitude;
        strongest = std::max(strongest, peak.magnitude);
    }

    for (PartialReading& line : r.lines) {
        if (line.status != PartialStatus::Measured) {
            continue;
        }
        line.levelDb = 20.0 * std::log10(line.magnitude / strongest);
        if (line.levelDb < kAbsentBelowDb) {
            line = PartialReading{line.n, line.lineHz, PartialStatus::Absent};
            continue;
        }
        line.cents = kCentsPerOctave * std::log2(line.measuredHz / line.lineHz);
    }
    return r;
}

std::optional<double> FitCombToNearestPeak(const MagnitudeSpectrum& s, double f0) {
    if (s.ftnpont < 4 || !(s.rate > 0.0) || !std::isfinite(f0)) {
        return std::nullopt;
    }
    auto k = StrongestNear(s, f0, kPartialReach * std::abs(f0));
    if (!k) {
        k = NearestLocalMaximum(s, f0 / s.BinHz());
    }
    if (!k) {
        return std::nullopt;
    }
    return RefineMaximum(s, *k).frequencyHz;
}
