#include "note_naming.h"

#include "base/numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr float kA440X = 15900.0f;      // twips
constexpr float kTenthSemitone = 15.0f; // twips per tenth of a semitone
constexpr std::int32_t kA440Note = 69;  // MIDI note of 440 Hz
constexpr std::int32_t kHighestNote = 127;
constexpr std::int32_t kSemitoneTwips = 150;

// The ratio of a tenth of a semitone, 2^(1/120).
double TenthRatio() {
    static const double r = std::pow(2.0, 1.0 / 120.0);
    return r;
}

std::int16_t TenthsFrom440(float X) {
    const float tenths = (X - kA440X) / kTenthSemitone;
    const double rounded = num::RoundHalfEven(tenths);
    constexpr double lo = std::numeric_limits<std::int16_t>::min();
    constexpr double hi = std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::clamp(rounded, lo, hi));
}

// The frequency of h tenths from 440 Hz rounded to thousandths (a half going up), as single.
float RoundedFrequency(std::int16_t h) {
    const double f = std::pow(TenthRatio(), h) * 440.0;
    float r = num::CSng(num::Int(f * 1000.0) / 1000.0);
    if (f - r >= 0.0005) {
        r = num::CSng(static_cast<double>(r) + 0.001);
    }
    return r;
}

// The rounded frequency as the user reads it: thousandths, at most 7 significant digits. The
// single-precision sum lands a hair off the thousandth (8.175 + 0.001 gives 8.1760006), which
// must not show as a spurious seventh digit.
std::string FrequencyText(float r) {
    double v = std::round(static_cast<double>(r) * 1000.0) / 1000.0;
    if (v != 0.0 && std::isfinite(v)) {
        const int digits = static_cast<int>(std::floor(std::log10(std::abs(v)))) + 1;
        const double scale = std::pow(10.0, 7 - digits);
        v = std::round(v * scale) / scale;
    }
    return num::DoubleText(v);
}

} // namespace

const std::string& NoteName(std::int32_t row) {
    static const std::array<std::string, 12> names{
        "La  (A)",
        "La #  (A #)   or   Si b  (B b)",
        "Si  (B)",
        "Do  (C)",
        "Do #  (C #)   or   Re b  (D b)",
        "Re  (D)",
        "Re #  (D #)   or   Mi b  (E b)",
        "Mi  (E)",
        "Fa  (F)",
        "Fa #  (F #)   or   Sol b  (G b)",
        "Sol  (G)",
        "Sol #  (G #)   or   La b  (A b)",
    };
    return names.at(static_cast<std::size_t>(row));
}

const std::string& NoteLetters(std::int32_t row) {
    static const std::array<std::string, 12> letters{
        "A", "A#/Bb", "B", "C", "C#/Db", "D", "D#/Eb", "E", "F", "F#/Gb", "G", "G#/Ab",
    };
    return letters.at(static_cast<std::size_t>(row));
}

NoteReading NameNoteAt(float X) {
    NoteReading r;
    r.h = TenthsFrom440(X);
    r.frequencyText = FrequencyText(RoundedFrequency(r.h));

    const float q = static_cast<float>(r.h) / 10.0f;
    const float floorQ = std::floor(q);
    r.onSemitone = std::abs(q - floorQ) < 0.001f;

    std::int32_t n = static_cast<std::int32_t>(floorQ);
    if (q - floorQ >= 0.5f) {
        ++n;
    }
    r.n = n;
    r.KeyX = static_cast<float>(kA440X + kSemitoneTwips * n);
    if (n + kA440Note >= 0) {
        r.NoteCode = static_cast<std::uint8_t>(std::min(n + kA440Note, kHighestNote));
    }

    std::int32_t octave = 5;
    while (n < 0) {
        n += 12;
        --octave;
    }
    while (n >= 12) {
        n -= 12;
        ++octave;
    }
    if (n < 3) {
        --octave;
    }
    r.octave = octave;
    r.row = n;
    r.name = NoteName(n);
    return r;
}

std::optional<std::string> HeightText(double baseY, double topY, float Y) {
    const float base = num::CSng(baseY);
    const float top = num::CSng(topY);
    if (Y > base || Y < top - 10.0f) {
        return std::nullopt;
    }
    const double height =
        (static_cast<double>(base) - Y) / (static_cast<double>(base) - top) * 100.0;
    return num::DoubleText(height);
}

std::array<double, 17> HarmonicOffsets() {
    std::array<double, 17> offsets{};
    const double lnTenth = std::log(TenthRatio());
    for (int i = 1; i <= 16; ++i) {
        offsets[static_cast<std::size_t>(i)] = 15.0 * std::log(i + 1.0) / lnTenth;
    }
    return offsets;
}
