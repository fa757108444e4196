// Form101: the transform hand-off and the drawing of spectrum, frequency axis and semitone grid.
#include "spectrum_view.h"

#include "spectrum_colours.h"

#include "base/numbers.h"
#include "real_fft.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace {

// The transform sizes the view holds.
constexpr std::int32_t kSmallestBlock = 4;
constexpr std::int32_t kLargestBlock = 32768;

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

void Form101::FftWave(std::vector<double>& y, std::int32_t Npont, std::int32_t Freq) {
    // The transforms check nothing: a block they cannot take is left alone.
    const bool sizeOk = Npont >= kSmallestBlock && Npont <= kLargestBlock &&
                        std::has_single_bit(static_cast<std::uint32_t>(Npont));
    if (!sizeOk || y.size() < static_cast<std::size_t>(Npont) + 1 || Freq <= 0) {
        return;
    }
    const std::int32_t n = num::CLng(Npont / 2.0);
    freqGraf_ = Freq;
    source_ = std::exchange(nextSource_, {});
    REALFT(y, n, 1);
    GrafFt(y, n);
    DescribeGraph();
    SetFocus();
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
    const auto yOf = [&](std::int32_t k) {
        return num::CSng(Cap(baseY_ - ft_.MagFt[static_cast<std::size_t>(k) + 1] * scale));
    };
    Picture2.PSet(0, yOf(0), kPointsWhite);
    if (style_.LineStyleChecked()) {
        const Colour colour = LineColour(ColLine);
        for (std::int32_t k = 1; k < ftnpont; ++k) {
            Picture2.LineTo(num::CSng(BinX(k, ftnpont, freqGraf_)), yOf(k), colour);
        }
    } else {
        for (std::int32_t k = 1; k < ftnpont; ++k) {
            Picture2.PSet(num::CSng(BinX(k, ftnpont, freqGraf_)), yOf(k), kPointsWhite);
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
