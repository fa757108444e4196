// Writes the splash screen's artwork: a rich tone's waveform passes through a prism and
// leaves it as the tone's spectral bars, above a keyboard with the tone's note lit.
// usage: make_splash_art OUT.svg
//
// The splash screen shows the picture twice, large and as a small logo above its top left
// corner, with the product name over its top right corner. The top quarter of the picture is
// therefore left transparent: there the small logo and the name stand on the window's own
// colour, and the two panels never cover each other.
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

// The dark panel everything is drawn on: from y 76 to the bottom.
constexpr double kPanelTop = 76.0;
constexpr double kPanelInset = 4.0;
constexpr const char* kPanelTopColour = "#1c3160";
constexpr const char* kPanelBottomColour = "#0b1531";

constexpr const char* kWaveColour = "#5ce1e6";

// The waveform: 3.5 periods between x 20 and 194 around y 160.
constexpr double kWaveLeft = 20.0;
constexpr double kWaveRight = 194.0;
constexpr double kWaveMiddle = 160.0;
constexpr double kWaveHeight = 44.0; // units from the middle to the highest peak
constexpr double kWavePeriods = 3.5;
constexpr int kWaveSteps = 360;

// The grid behind waveform and bars: lines every 30 units from y 102 to 222.
constexpr double kGridTop = 102.0;
constexpr double kGridStep = 30.0;

// The bars: one per harmonic, standing on y 222, the first one 112 units tall.
constexpr double kBarsLeft = 274.0;
constexpr double kBarPitch = 17.0;
constexpr double kBarWidth = 11.0;
constexpr double kBarsBase = 222.0;
constexpr double kBarScale = 112.0;
constexpr std::array<const char*, 8> kBarColours{"#ff4b4b", "#ff8c3a", "#ffd23f", "#8be04e",
                                                 "#3fd6c6", "#4aa3ff", "#7a6cff", "#c06cff"};

// The keyboard: two octaves and a C, white keys from x 20 to 400.
constexpr double kKeysLeft = 20.0;
constexpr double kKeysTop = 236.0;
constexpr double kWhiteKeyHeight = 50.0;
constexpr double kBlackKeyHeight = 31.0;
constexpr int kWhiteKeys = 15;
constexpr double kWhiteKeyWidth = 380.0 / kWhiteKeys;
constexpr double kBlackKeyWidth = 14.0;
constexpr int kLitWhiteKey = 2; // E, the note of the tone

std::string Panel() {
    std::string s;
    s += "<defs>\n";
    s += "<linearGradient id=\"panel\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">";
    s += std::string("<stop offset=\"0\" stop-color=\"") + kPanelTopColour + "\"/>";
    s += std::string("<stop offset=\"1\" stop-color=\"") + kPanelBottomColour + "\"/>";
    s += "</linearGradient>\n";
    s += "<linearGradient id=\"prism\" x1=\"0\" y1=\"0\" x2=\"1\" y2=\"0\">";
    s += "<stop offset=\"0\" stop-color=\"#ffffff\" stop-opacity=\"0.35\"/>";
    s += "<stop offset=\"1\" stop-color=\"#ffffff\" stop-opacity=\"0.08\"/>";
    s += "</linearGradient>\n";
    s += "</defs>\n";
    s += "<rect x=\"" + Num(kPanelInset) + "\" y=\"" + Num(kPanelTop) + "\" width=\"" +
         Num(kWidth - 2 * kPanelInset) + "\" height=\"" + Num(kHeight - kPanelInset - kPanelTop) +
         "\" rx=\"18\" fill=\"url(#panel)\" stroke=\"#08102a\" stroke-width=\"2\"/>\n";
    s += "<g stroke=\"#ffffff\" stroke-opacity=\"0.08\" stroke-width=\"1\">\n";
    for (double y = kGridTop; y <= kBarsBase; y += kGridStep) {
        s += "<line x1=\"16\" y1=\"" + Num(y) + "\" x2=\"404\" y2=\"" + Num(y) + "\"/>\n";
    }
    s += "</g>\n";
    return s;
}

std::string Waveform() {
    const std::string d = svg::TonePath(
        {kWaveLeft, kWaveRight, kWaveMiddle, kWaveHeight, kWavePeriods, kWaveSteps, 8});
    std::string s;
    s += "<line x1=\"" + Num(kWaveLeft) + "\" y1=\"" + Num(kWaveMiddle) + "\" x2=\"" +
         Num(kWaveRight) + "\" y2=\"" + Num(kWaveMiddle) +
         "\" stroke=\"#8fa3c8\" stroke-opacity=\"0.5\" stroke-width=\"1\"/>\n";
    s += std::string("<path d=\"") + d + "\" fill=\"none\" stroke=\"" + kWaveColour +
         "\" stroke-width=\"3\" stroke-linejoin=\"round\" stroke-linecap=\"round\"/>\n";
    return s;
}

// An equilateral prism between the waveform and the bars: the wave goes in at its left
// face and leaves its right face fanned out into one ray per harmonic, each ending at the
// foot of its bar.
constexpr double kRayIn = 220.0;  // x where the wave meets the left face (y 180)
constexpr double kRayOut = 248.0; // x where the rays leave the right face (y 180)
constexpr double kRayY = 180.0;

std::string Prism() {
    std::string s = "<line x1=\"" + Num(kWaveRight) + "\" y1=\"" + Num(kWaveMiddle) + "\" x2=\"" +
                    Num(kRayIn) + "\" y2=\"" + Num(kRayY) + "\" stroke=\"" + kWaveColour +
                    "\" stroke-width=\"2\" stroke-linecap=\"round\"/>\n";
    s += "<g stroke-width=\"1.5\" stroke-opacity=\"0.6\">\n";
    for (std::size_t k = 0; k < kBarColours.size(); ++k) {
        const double foot = kBarsLeft + kBarPitch * static_cast<double>(k) + kBarWidth / 2;
        s += "<line x1=\"" + Num(kRayOut) + "\" y1=\"" + Num(kRayY) + "\" x2=\"" + Num(foot) +
             "\" y2=\"" + Num(kBarsBase) + "\" stroke=\"" + kBarColours[k] + "\"/>\n";
    }
    s += "</g>\n";
    s += "<polygon points=\"206,204 262,204 234,155.5\" fill=\"url(#prism)\" "
         "stroke=\"#d8e6ff\" stroke-opacity=\"0.85\" stroke-width=\"2\" "
         "stroke-linejoin=\"round\"/>\n";
    return s;
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
    s += "<line x1=\"266\" y1=\"" + Num(kBarsBase) + "\" x2=\"404\" y2=\"" + Num(kBarsBase) +
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
