// A live spectrum by pixel columns: which bins of a spectrum fall into each pixel column of
// the pitch scale, and what the drawing and the spectrogram strip need of them once per frame.
// A live frame draws at most four points a column (the first, lowest, highest and last bin in
// it), which covers the pixels a line through every bin covers, so 131072 padded bins cost
// little more than 16384. No toolkit.
#pragma once

#include "spectrum_graph.h"

#include <cstdint>
#include <vector>

// The bins of each pixel column, for one spectrum size, rate and picture width.
class ColumnMap {
  public:
    ColumnMap() = default;
    // Bins 1 .. ftnpont-1 of a spectrum of `ftnpont` bins at `freqGraf` Hz on a picture of
    // `widthTwips`, `twipsPerColumn` wide columns.
    ColumnMap(std::int32_t ftnpont, std::int32_t freqGraf, double widthTwips,
              double twipsPerColumn);

    bool Fits(std::int32_t ftnpont, std::int32_t freqGraf, double widthTwips) const {
        return ftnpont == ftnpont_ && freqGraf == freqGraf_ && widthTwips == widthTwips_;
    }
    std::int32_t Columns() const {
        return first_.empty() ? 0 : static_cast<std::int32_t>(first_.size()) - 1;
    }
    // Bins [First(c), End(c)) lie in column c; none when equal.
    std::int32_t First(std::int32_t c) const { return first_[static_cast<std::size_t>(c)]; }
    std::int32_t End(std::int32_t c) const { return first_[static_cast<std::size_t>(c) + 1]; }
    // x of bin k (1 .. ftnpont-1), twips, as the described drawing computes it.
    float X(std::int32_t k) const { return x_[static_cast<std::size_t>(k)]; }
    std::int32_t Bins() const { return ftnpont_; }
    double ColumnTwips() const { return columnTwips_; }

  private:
    std::int32_t ftnpont_ = 0;
    std::int32_t freqGraf_ = 0;
    double widthTwips_ = 0;
    double columnTwips_ = 1;
    std::vector<float> x_;            // x of bin k at [k]; [0] unused
    std::vector<std::int32_t> first_; // Columns() + 1 entries
};

// A point of the live polyline, picture twips.
struct LivePoint {
    float x, y;
};

// The polyline of a live frame: bin 0's height at x 0, then per column its first, lowest,
// highest and last bins in bin order (bins left of x 0 each on their own). `scale` is twips per
// unit of magnitude above `baseY`. Written into `out` (cleared first).
void LivePolyline(const SpectrumArrays& a, const ColumnMap& map, double baseY, double scale,
                  std::vector<LivePoint>& out);

// The largest magnitude in each column (0 for a column without a bin), for the strip.
void ColumnPeaks(const SpectrumArrays& a, const ColumnMap& map, std::vector<float>& out);
