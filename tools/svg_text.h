// Small helpers the artwork generators share: fixed-precision numbers, a sampled tone, and
// writing an SVG document after checking that it renders.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QSvgRenderer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

namespace svg {

// A coordinate with two decimals, trailing zeros dropped, independent of the locale.
inline std::string Num(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", std::abs(v) < 0.005 ? 0.0 : v);
    std::string s(buffer);
    while (s.back() == '0') {
        s.pop_back();
    }
    if (s.back() == '.') {
        s.pop_back();
    }
    return s;
}

// Harmonic amplitudes and phases (radians) of the rich tone the artwork shows: the same
// tone is drawn as a waveform and as its spectral bars.
constexpr std::array<double, 8> kToneAmplitudes{1.0, 0.62, 0.48, 0.30, 0.22, 0.14, 0.09, 0.06};
constexpr double kQuarter = std::numbers::pi / 2;
constexpr std::array<double, 8> kTonePhases{0.0, -kQuarter, 0.0, kQuarter,
                                            0.0, -kQuarter, 0.0, kQuarter};

// The tone at phase t (one period per 2 pi), summed over its first `harmonics` harmonics.
inline double Tone(double t, std::size_t harmonics) {
    double sum = 0.0;
    for (std::size_t k = 0; k < harmonics && k < kToneAmplitudes.size(); ++k) {
        sum += kToneAmplitudes[k] * std::sin(static_cast<double>(k + 1) * t + kTonePhases[k]);
    }
    return sum;
}

// Where and how the tone is drawn as a path: `periods` periods from x `left` to `right`,
// around y `middle`, its highest peak `height` units from the middle, in `steps` segments.
struct WaveBox {
    double left, right, middle, height, periods;
    int steps;
    std::size_t harmonics;
};

// The "d" of an SVG path tracing the tone in `box`.
inline std::string TonePath(const WaveBox& box) {
    auto at = [&box](int i) {
        return Tone(2 * std::numbers::pi * box.periods * i / box.steps, box.harmonics);
    };
    double peak = 0.0;
    for (int i = 0; i <= box.steps; ++i) {
        peak = std::max(peak, std::abs(at(i)));
    }
    std::string d;
    for (int i = 0; i <= box.steps; ++i) {
        const double x = box.left + (box.right - box.left) * i / box.steps;
        const double y = box.middle - box.height * at(i) / peak;
        d += (i == 0 ? "M" : " L") + Num(x) + " " + Num(y);
    }
    return d;
}

// Writes `document` to `path` after checking that it parses as SVG; a process exit code.
inline int Write(const std::string& document, const char* path) {
    const QByteArray bytes = QByteArray::fromStdString(document);
    QSvgRenderer check(bytes);
    if (!check.isValid()) {
        std::fprintf(stderr, "the generated picture is not valid SVG\n");
        return 1;
    }
    QFile out(QString::fromLocal8Bit(path));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    return 0;
}

} // namespace svg
