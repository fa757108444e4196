// Form101: the transform hand-off and the drawing of spectrum, frequency axis and semitone grid.
#include "spectrum_view.h"

#include "spectrum_colours.h"

#include "base/numbers.h"
#include "real_fft.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

namespace {

// The transform sizes the view holds.
constexpr std::int32_t kSmallestBlock = 4;
constexpr std::int32_t kLargestBlock = 32768;

// The most bins the described program draws (32768 points), each one on its own; a padded
// spectrum with more is drawn thin.
constexpr std::int32_t kMostDescribedBins = kLargestBlock / 2;

// Magnitudes far beyond the picture are drawn at this distance instead (twips), so no
// coordinate handed to the painter is infinite.
constexpr double kFarOff = 1.0e7;

double Cap(double y) {
    return std::clamp(y, -kFarOff, kFarOff);
}

Colour LineColour(const std::string& text) {
    try {
        const double v = num::ParseNumber(text);
        if (v >= 0 && v <= 0xFFFFFF) {
            return static_cast<Colour>(v);
        }
    } catch (const num::NumberError&) {
    }
    return kLineLightBlue;
}

} // namespace

Colour Form101::SpectrumLineColour() const {
    return LineColour(ColLine);
}

void Form101::FftWave(std::vector<double>& y, std::int32_t Npont, std::int32_t Freq) {
    // The transforms check nothing: a block they cannot take is left alone.
    const bool sizeOk = Npont >= kSmallestBlock && Npont <= kLargestBlock &&
                        std::has_single_bit(static_cast<std::uint32_t>(Npont));
    if (!sizeOk || y.size() < static_cast<std::size_t>(Npont) + 1 || Freq <= 0) {
        return;
    }
    freqGraf_ = Freq;
    restingFreq_ = Freq;
    source_ = std::exchange(nextSource_, {});
    unread_.clear();
    ForgetEarlierFile();
    block_.assign(y.begin(), y.begin() + Npont + 1);
    blockPoints_ = Npont;
    TransformBlock();
    // The block is transformed in place as far as the caller sees it: it ends holding the
    // packed spectrum drawn, longer by the padding.
    if (y.size() < work_.size()) {
        y.resize(work_.size());
    }
    std::copy(work_.begin() + 1, work_.end(), y.begin() + 1);
    SetFocus();
}

void Form101::TransformBlock() {
    // With the rectangular window and no padding this is REALFT of the samples and the
    // unpacking of GrafFt, bit for bit.
    const std::int32_t n = AnalyseBlock(block_, blockPoints_, settings_, work_, ft_);
    Grafmesmo(n, false);
    ReportAnalysis();
    NotifyComb();
}

void Form101::GrafFt(const std::vector<double>& y, std::int32_t ftnpont) {
    UnpackSpectrum(y, ftnpont, ft_);
    Grafmesmo(ftnpont, false);
}

void Form101::Grafmesmo(std::int32_t ftnpont, bool SoEsc) {
    NPontGraf = ftnpont;
    Picture2.Cls();
    baseY_ = Picture2.Height() * 2 / 3 - 500;
    topY_ = Picture2.ScaleHeight() / 8 - 75;
    Picture2.Line(0, baseY_, Picture2.Width(), baseY_, kSpectrumRed);
    if (!SoEsc) {
        DrawSpectrum(ftnpont);
    }
    DrawAxis();
    Escmus2();
}

void Form101::DrawSpectrum(std::int32_t ftnpont) {
    // Before any analysis there is nothing to draw but the scale.
    if (ftnpont < 1 || freqGraf_ <= 0 || ft_.MagFt.size() < static_cast<std::size_t>(ftnpont) + 1) {
        return;
    }
    // A silent or constant block has no finite scale: every bin lies on the baseline.
    const double scale = MagnitudeScale(baseY_, topY_, ft_.MagMax);
    DrawFrozen(scale);
    DrawBins(ft_, ftnpont, freqGraf_, scale, LineColour(ColLine), kPointsWhite,
             ftnpont > kMostDescribedBins);
}

void Form101::DrawFrozen(double scale) {
    if (!frozen_) {
        return;
    }
    const FrozenSpectrum& f = *frozen_;
    // |F_k| grows with the samples transformed: the reference is drawn as amplitudes on the
    // current spectrum's scale, so one tone has one height whatever the two blocks' sizes.
    const double frozenPoints = 2.0 * f.ftnpont / f.settings.padding;
    const double s = scale > 0.0 && blockPoints_ > 0 ? scale * blockPoints_ / frozenPoints
                                                     : MagnitudeScale(baseY_, topY_, f.ft.MagMax);
    DrawBins(f.ft, f.ftnpont, f.freqGraf, s, kFrozenGrey, kFrozenGrey,
             f.ftnpont > kMostDescribedBins);
}

void Form101::DrawBins(const SpectrumArrays& a, std::int32_t ftnpont, std::int32_t freqGraf,
                       double scale, Colour line, Colour points, bool thin) {
    const auto yOf = [&](std::int32_t k) {
        return num::CSng(Cap(baseY_ - a.MagFt[static_cast<std::size_t>(k) + 1] * scale));
    };
    const auto xOf = [&](std::int32_t k) { return num::CSng(BinX(k, ftnpont, freqGraf)); };
    Picture2.PSet(0, yOf(0), points);
    const bool lineStyle = style_.LineStyleChecked();
    if (!thin || !lineStyle) {
        for (std::int32_t k = 1; k < ftnpont; ++k) {
            if (lineStyle) {
                Picture2.LineTo(xOf(k), yOf(k), line);
            } else {
                Picture2.PSet(xOf(k), yOf(k), points);
            }
        }
        return;
    }
    // Thin: above a few hundred hertz many bins share a pixel column. Of each run of bins in
    // one column the line visits the first, the lowest, the highest and the last, in their
    // order, which covers the same pixels as visiting every one.
    struct Bin {
        std::int32_t k;
        float x, y;
    };
    const auto bin = [&](std::int32_t k) { return Bin{k, xOf(k), yOf(k)}; };
    Bin next = bin(1);
    while (next.k < ftnpont) {
        const float column = std::floor(next.x / kTwipsPerPixel);
        const Bin first = next;
        Bin low = first, high = first, last = first;
        while (++next.k < ftnpont) {
            next = bin(next.k);
            if (std::floor(next.x / kTwipsPerPixel) != column) {
                break;
            }
            last = next;
            low = last.y > low.y ? last : low;
            high = last.y < high.y ? last : high;
        }
        const bool lowFirst = low.k < high.k;
        std::int32_t drawn = 0;
        for (const Bin& b : {first, lowFirst ? low : high, lowFirst ? high : low, last}) {
            if (b.k != drawn) {
                Picture2.LineTo(b.x, b.y, line);
                drawn = b.k;
            }
        }
    }
}

void Form101::DrawAxis() {
    const double axisY = baseY_ + 200;
    Picture2.Line(0, axisY, Picture2.Width(), axisY);
    const Colour fore = Picture2.ForeColor();
    for (const TickRow& row : AxisTickRows()) {
        for (std::int32_t f = row.first; f <= row.last; f += row.step) {
            const double x = TickX(f);
            const double end = baseY_ + row.tickEnd;
            Picture2.Line(x, axisY, x, end);
            if (row.circle) {
                Picture2.Circle(x, end, 20, fore);
            }
            if (f >= row.labelFirst && f <= row.labelLast) {
                Picture2.PSet(x + row.labelDx, baseY_ + row.labelDy, kSpectrumBack);
                Picture2.Print(TickLabel(row, f));
            }
        }
    }
}

void Form101::Escmus2() {
    const double g = Picture2.Height() * 2 / 3 + 100;
    const double grid = 280;      // twips below g
    const double a440Above = 100; // the 440 Hz line rises this far above g
    for (double x = 0; x <= Picture2.Width(); x += kSemitoneTwips) {
        Picture2.Line(x, g, x, g + grid, kGridYellow);
    }
    Picture2.Line(kPitchA440X, g + grid, kPitchA440X, g - a440Above);
}
