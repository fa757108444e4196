#include "live_columns.h"

#include "base/numbers.h"

#include <algorithm>
#include <cmath>

namespace {

// Magnitudes far beyond the picture are drawn at this distance instead (twips).
constexpr double kFarOff = 1.0e7;

} // namespace

ColumnMap::ColumnMap(std::int32_t ftnpont, std::int32_t freqGraf, double widthTwips,
                     double twipsPerColumn)
    : ftnpont_(ftnpont), freqGraf_(freqGraf), widthTwips_(widthTwips),
      columnTwips_(twipsPerColumn) {
    const auto columns = static_cast<std::int32_t>(std::ceil(widthTwips / twipsPerColumn));
    x_.assign(static_cast<std::size_t>(std::max(ftnpont, 1)), 0.0f);
    for (std::int32_t k = 1; k < ftnpont; ++k) {
        x_[static_cast<std::size_t>(k)] = num::CSng(BinX(k, ftnpont, freqGraf));
    }
    // Bins left of x 0 belong to no column; column c starts at the first bin at or right of
    // c * twipsPerColumn. x rises with k, so each start is found once.
    first_.assign(static_cast<std::size_t>(columns) + 1, ftnpont > 0 ? ftnpont : 1);
    std::int32_t k = 1;
    for (std::int32_t c = 0; c <= columns; ++c) {
        const double left = c * twipsPerColumn;
        while (k < ftnpont && x_[static_cast<std::size_t>(k)] < left) {
            ++k;
        }
        first_[static_cast<std::size_t>(c)] = k;
    }
}

void LivePolyline(const SpectrumArrays& a, const ColumnMap& map, double baseY, double scale,
                  std::vector<LivePoint>& out) {
    out.clear();
    const auto y = [&](std::int32_t k) {
        return num::CSng(std::clamp(baseY - a.MagFt[static_cast<std::size_t>(k) + 1] * scale,
                                    -kFarOff, kFarOff));
    };
    out.push_back({0.0f, y(0)});
    const std::int32_t n = map.Bins();
    if (n < 2) {
        return;
    }
    // Bins below the picture's left edge, one by one (few: they lie an octave apart and more).
    for (std::int32_t k = 1; k < std::min(map.First(0), n); ++k) {
        out.push_back({map.X(k), y(k)});
    }
    for (std::int32_t c = 0; c < map.Columns(); ++c) {
        const std::int32_t first = map.First(c), end = map.End(c);
        if (first >= end) {
            continue;
        }
        std::int32_t low = first, high = first;
        for (std::int32_t k = first + 1; k < end; ++k) {
            const double m = a.MagFt[static_cast<std::size_t>(k) + 1];
            if (m < a.MagFt[static_cast<std::size_t>(low) + 1]) {
                low = k;
            }
            if (m > a.MagFt[static_cast<std::size_t>(high) + 1]) {
                high = k;
            }
        }
        const std::int32_t last = end - 1;
        const std::int32_t a1 = std::min(low, high), a2 = std::max(low, high);
        std::int32_t drawn = 0;
        for (const std::int32_t k : {first, a1, a2, last}) {
            if (k != drawn) {
                out.push_back({map.X(k), y(k)});
                drawn = k;
            }
        }
    }
    // Bins past the picture's right edge are not visible; the line ends at the last one drawn.
}

void ColumnPeaks(const SpectrumArrays& a, const ColumnMap& map, std::vector<float>& out) {
    out.assign(static_cast<std::size_t>(map.Columns()), 0.0f);
    const auto mag = [&](std::int32_t k) { return a.MagFt[static_cast<std::size_t>(k) + 1]; };
    for (std::int32_t c = 0; c < map.Columns(); ++c) {
        const std::int32_t first = map.First(c), end = map.End(c);
        double peak = 0.0;
        if (first < end) {
            for (std::int32_t k = first; k < end; ++k) {
                peak = std::max(peak, mag(k));
            }
        } else if (first > 1 && first < map.Bins()) {
            // Low down the bins lie further apart than a column: between two of them the
            // strip shows the line that joins them, as the graph does.
            const double x0 = map.X(first - 1), x1 = map.X(first);
            const double t =
                x1 > x0 ? std::clamp(((c + 0.5) * map.ColumnTwips() - x0) / (x1 - x0), 0.0, 1.0)
                        : 0.0;
            peak = mag(first - 1) + t * (mag(first) - mag(first - 1));
        }
        out[static_cast<std::size_t>(c)] = static_cast<float>(peak);
    }
}
