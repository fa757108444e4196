// Writes the splash screen's artwork: a rich tone's waveform passes through a prism and
// leaves it as the tone's spectral bars, above a keyboard with the tone's note lit.
// usage: make_splash_art OUT.svg
#include "svg_text.h"

#include <algorithm>
#include <cstdio>
#include <numbers>
#include <string>

using svg::Num;

namespace {

// The picture is 420 x 300 units, the proportions of the splash screen's picture.
constexpr double kWidth = 420.0;
constexpr double kHeight = 300.0;

constexpr const char* kWaveColour = "#5ce1e6";
constexpr const char* kPanelTop = "#1c3160";
constexpr const char* kPanelBottom = "#0b1531";

// The waveform: 3.5 periods between x 20 and 200 around y 130.
constexpr double kWaveLeft = 20.0;
constexpr double kWaveRight = 200.0;
constexpr double kWaveMiddle = 130.0;
constexpr double kWaveHeight = 58.0; // units from the middle to the highest peak
constexpr double kWavePeriods = 3.5;
constexpr int kWaveSteps = 360;

// The bars: one per harmonic, standing on y 200, the first one 140 units tall.
constexpr double kBarsLeft = 264.0;
constexpr double kBarPitch = 18.0;
constexpr double kBarWidth = 11.0;
constexpr double kBarsBase = 200.0;
constexpr double kBarScale = 140.0;
constexpr std::array<const char*, 8> kBarColours{"#ff4b4b", "#ff8c3a", "#ffd23f", "#8be04e",
                                                 "#3fd6c6", "#4aa3ff", "#7a6cff", "#c06cff"};

// The keyboard: two octaves and a C, white keys from x 20 to 400.
constexpr double kKeysLeft = 20.0;
constexpr double kKeysTop = 222.0;
constexpr double kWhiteKeyHeight = 56.0;
constexpr double kBlackKeyHeight = 34.0;
constexpr int kWhiteKeys = 15;
constexpr double kWhiteKeyWidth = 380.0 / kWhiteKeys;
constexpr double kBlackKeyWidth = 14.0;
constexpr int kLitWhiteKey = 2; // E, the note of the tone

std::string Panel() {
    std::string s;
    s += "<defs>\n";
    s += "<linearGradient id=\"panel\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">";
    s += std::string("<stop offset=\"0\" stop-color=\"") + kPanelTop + "\"/>";
    s += std::string("<stop offset=\"1\" stop-color=\"") + kPanelBottom + "\"/>";
    s += "</linearGradient>\n";
    s += "<linearGradient id=\"prism\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"0\">";
    s += "<stop offset=\"0\" stop-color=\"#ffffff\" stop-opacity=\"0.30\"/>";
    s += "<stop offset=\"1\" stop-color=\"#ffffff\" stop-opacity=\"0.08\"/>";
    s += "</linearGradient>\n";
    s += "</defs>\n";
    s += "<rect x=\"4\" y=\"4\" width=\"" + Num(kWidth - 8) + "\" height=\"" + Num(kHeight - 8) +
         "\" rx=\"20\" fill=\"url(#panel)\" stroke=\"#08102a\" stroke-width=\"2\"/>\n";
    // A faint grid behind the waveform and the bars.
    s += "<g stroke=\"#ffffff\" stroke-opacity=\"0.08\" stroke-width=\"1\">\n";
    for (double y = 60.0; y <= kBarsBase; y += 35.0) {
        s += "<line x1=\"16\" y1=\"" + Num(y) + "\" x2=\"404\" y2=\"" + Num(y) + "\"/>\n";
    }
    s += "</g>\n";
    return s;
}

std::string Waveform() {
    double peak = 0.0;
    for (int i = 0; i <= kWaveSteps; ++i) {
        peak = std::max(
            peak, std::abs(svg::Tone(2 * std::numbers::pi * kWavePeriods * i / kWaveSteps, 8)));
    }
    std::string d;
    for (int i = 0; i <= kWaveSteps; ++i) {
        const double x = kWaveLeft + (kWaveRight - kWaveLeft) * i / kWaveSteps;
        const double y =
            kWaveMiddle -
            kWaveHeight * svg::Tone(2 * std::numbers::pi * kWavePeriods * i / kWaveSteps, 8) / peak;
        d += (i == 0 ? "M" : " L") + Num(x) + " " + Num(y);
    }
    std::string s;
    s += "<line x1=\"" + Num(kWaveLeft) + "\" y1=\"" + Num(kWaveMiddle) + "\" x2=\"" +
         Num(kWaveRight) + "\" y2=\"" + Num(kWaveMiddle) +
         "\" stroke=\"#8fa3c8\" stroke-opacity=\"0.5\" stroke-width=\"1\"/>\n";
    s += std::string("<path d=\"") + d + "\" fill=\"none\" stroke=\"" + kWaveColour +
         "\" stroke-width=\"3\" stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n";
    return s;
}

std::string Prism() {
    return "<polygon points=\"206,198 258,198 232,70\" fill=\"url(#prism)\" stroke=\"#d8e6ff\" "
           "stroke-opacity=\"0.85\" stroke-width=\"2\" stroke-linejoin=\"round\"/>\n";
}

std::string Bars() {
    std::string s = "<g>\n";
    for (std::size_t k = 0; k < svg::kToneAmplitudes.size(); ++k) {
        const double h = kBarScale * svg::kToneAmplitudes[k];
        const double x = kBarsLeft + kBarPitch * static_cast<double>(k);
        s += "<rect x=\"" + Num(x) + "\" y=\"" + Num(kBarsBase - h) + "\" width=\"" +
             Num(kBarWidth) + "\" height=\"" + Num(h) + "\" rx=\"2\" fill=\"" + kBarColours[k] +
             "\"/>\n";
    }
    s += "</g>\n";
    s += "<line x1=\"256\" y1=\"" + Num(kBarsBase) + "\" x2=\"404\" y2=\"" + Num(kBarsBase) +
         "\" stroke=\"#8fa3c8\" stroke-width=\"1.5\"/>\n";
    return s;
}

std::string Keyboard() {
    std::string s = "<g stroke=\"#08102a\" stroke-width=\"1\">\n";
    for (int i = 0; i < kWhiteKeys; ++i) {
        const double x = kKeysLeft + kWhiteKeyWidth * i;
        s += "<rect x=\"" + Num(x) + "\" y=\"" + Num(kKeysTop) + "\" width=\"" +
             Num(kWhiteKeyWidth) + "\" height=\"" + Num(kWhiteKeyHeight) + "\" fill=\"" +
             (i == kLitWhiteKey ? kWaveColour : "#f4f1ea") + "\"/>\n";
    }
    // Black keys follow C, D, F, G and A of each octave (white keys 0, 1, 3, 4, 5).
    for (int i = 0; i < kWhiteKeys - 1; ++i) {
        const int inOctave = i % 7;
        if (inOctave == 2 || inOctave == 6) {
            continue;
        }
        const double x = kKeysLeft + kWhiteKeyWidth * (i + 1) - kBlackKeyWidth / 2;
        s += "<rect x=\"" + Num(x) + "\" y=\"" + Num(kKeysTop) + "\" width=\"" +
             Num(kBlackKeyWidth) + "\" height=\"" + Num(kBlackKeyHeight) +
             "\" rx=\"1.5\" fill=\"#15151b\"/>\n";
    }
    s += "</g>\n";
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_splash_art OUT.svg\n");
        return 2;
    }
    std::string doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    doc += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + Num(kWidth) +
           "\" height=\"" + Num(kHeight) + "\" viewBox=\"0 0 " + Num(kWidth) + " " + Num(kHeight) +
           "\">\n";
    doc += "<title>Tonvexa: a sound wave and its spectrum</title>\n";
    doc += Panel() + Waveform() + Prism() + Bars() + Keyboard();
    doc += "</svg>\n";
    return svg::Write(doc, argv[1]);
}
