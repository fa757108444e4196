// Writes the program's icon: a waveform over the bars of its spectrum, bold enough to read
// at 16 pixels.
// usage: make_icon OUT.svg
#include "svg_text.h"

#include <algorithm>
#include <cstdio>
#include <numbers>
#include <string>

using svg::Num;

namespace {

constexpr double kSize = 64.0; // units per side

// 1.5 periods of the tone's first three harmonics between x 9 and 55 around y 21.
constexpr double kWaveLeft = 9.0;
constexpr double kWaveRight = 55.0;
constexpr double kWaveMiddle = 21.0;
constexpr double kWaveHeight = 10.0;
constexpr double kWavePeriods = 1.5;
constexpr int kWaveSteps = 60;

// Four bars standing on y 55.
constexpr double kBarsBase = 55.0;
constexpr double kBarsLeft = 11.0;
constexpr double kBarPitch = 11.0;
constexpr double kBarWidth = 8.0;
constexpr double kBarScale = 22.0; // height of the first bar
constexpr std::array<const char*, 4> kBarColours{"#ff4b4b", "#ff8c3a", "#ffd23f", "#8be04e"};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon OUT.svg\n");
        return 2;
    }
    const std::string wave = svg::TonePath(
        {kWaveLeft, kWaveRight, kWaveMiddle, kWaveHeight, kWavePeriods, kWaveSteps, 3});

    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    doc += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + Num(kSize) +
           "\" height=\"" + Num(kSize) + "\" viewBox=\"0 0 " + Num(kSize) + " " + Num(kSize) +
           "\">\n";
    doc += "<title>Tonvexa</title>\n";
    doc += "<defs><linearGradient id=\"panel\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
           "<stop offset=\"0\" stop-color=\"#1c3160\"/><stop offset=\"1\" "
           "stop-color=\"#0b1531\"/></linearGradient></defs>\n";
    doc += "<rect x=\"2\" y=\"2\" width=\"60\" height=\"60\" rx=\"12\" fill=\"url(#panel)\" "
           "stroke=\"#08102a\" stroke-width=\"1.5\"/>\n";
    doc += "<path d=\"" + wave +
           "\" fill=\"none\" stroke=\"#5ce1e6\" stroke-width=\"4\" stroke-linejoin=\"round\" "
           "stroke-linecap=\"round\"/>\n";
    for (std::size_t k = 0; k < kBarColours.size(); ++k) {
        const double h = kBarScale * svg::kToneAmplitudes[k];
        doc += "<rect x=\"" + Num(kBarsLeft + kBarPitch * static_cast<double>(k)) + "\" y=\"" +
               Num(kBarsBase - h) + "\" width=\"" + Num(kBarWidth) + "\" height=\"" + Num(h) +
               "\" rx=\"1.5\" fill=\"" + kBarColours[k] + "\"/>\n";
    }
    doc += "</svg>\n";
    return svg::Write(doc, argv[1]);
}
