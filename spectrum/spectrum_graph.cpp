#include "spectrum_graph.h"

#include "base/numbers.h"

#include <array>
#include <cmath>

double PitchK() {
    static const double k = kPitchA440X / std::log(440.0 / kPitchF0Hz);
    return k;
}

double PitchX(double f) {
    return std::log(f / kPitchF0Hz) * PitchK();
}

double PitchFrequency(double x) {
    return kPitchF0Hz * std::exp(x / PitchK());
}

double TickX(double f) {
    return std::floor(PitchX(f));
}

double BinX(std::int32_t k, std::int32_t ftnpont, std::int32_t freqGraf) {
    const double samplesPerHz = 2.0 * ftnpont / freqGraf;
    return std::log(k / (kPitchF0Hz * samplesPerHz)) * PitchK();
}

void UnpackSpectrum(std::span<const double> y, std::int32_t ftnpont, SpectrumArrays& out) {
    const std::size_t size = static_cast<std::size_t>(ftnpont) + 1;
    if (out.MagFt.size() < size) {
        out.ReFt.resize(size);
        out.ImFt.resize(size);
        out.MagFt.resize(size);
    }
    out.MagMax = 0.0;
    for (std::int32_t i = 0; i < ftnpont; ++i) {
        const double re = y[2 * i + 1];
        const double im = y[2 * i + 2];
        out.ReFt[i + 1] = re;
        out.ImFt[i + 1] = im;
        out.MagFt[i + 1] = std::sqrt(im * im + re * re);
    }
    for (std::int32_t k = 1; k < ftnpont; ++k) {
        if (out.MagFt[k + 1] > out.MagMax) {
            out.MagMax = out.MagFt[k + 1];
        }
    }
}

double MagnitudeScale(double baseY, double topY, double magMax) {
    if (!(magMax > 0.0) || !std::isfinite(magMax)) {
        return 0.0;
    }
    return (baseY - topY) / magMax;
}

std::span<const TickRow> AxisTickRows() {
    // Short ticks every hertz unit, long ticks with circles and labels at 1, 5 and the
    // decades' multiples, middle ticks at the fives.
    static const std::array<TickRow, 13> rows{{
        {1, 50, 1, 260, false, 2, 4, -100, 280, false},
        {60, 500, 10, 260, false, 0, 0, 0, 0, false},
        {600, 5000, 100, 260, false, 0, 0, 0, 0, false},
        {6000, 50000, 1000, 260, false, 0, 0, 0, 0, false},
        {1, 5, 4, 360, true, 1, 5, -100, 400, false},
        {10, 50, 10, 360, true, 10, 50, -120, 400, false},
        {100, 500, 100, 360, true, 100, 500, -180, 400, false},
        {1000, 5000, 1000, 360, true, 1000, 5000, -180, 400, true},
        {10000, 50000, 10000, 360, true, 10000, 50000, -180, 400, true},
        {5, 50, 5, 320, false, 0, 0, 0, 0, false},
        {50, 500, 50, 320, false, 0, 0, 0, 0, false},
        {500, 5000, 500, 320, false, 0, 0, 0, 0, false},
        {5000, 50000, 5000, 320, false, 0, 0, 0, 0, false},
    }};
    return rows;
}

std::string TickLabel(const TickRow& row, std::int32_t f) {
    // A number prints with a blank before and after it; thousands are followed by " K".
    std::string text(1, ' ');
    text.append(num::IntText(row.kilo ? f / 1000 : f));
    text.push_back(' ');
    if (row.kilo) {
        text.append(" K");
    }
    return text;
}
