// "Play harmonics": the comb's measured partials sounded again as pure sines, at their measured
// frequencies and relative levels, so the ear hears what the analysis found. The choice of
// partials (mute, solo and the presets) and the synthesis itself. No toolkit, no sound device.
#pragma once

#include "partials.h"

#include <bitset>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Which of the comb's lines sound: bit n-1 for harmonic n.
using PartialMask = std::bitset<kCombLines>;

// The presets of the harmonics table, in the order it offers them.
enum class PartialPreset { All, OddOnly, WithoutFundamental, FundamentalOnly };

constexpr std::size_t kPartialPresetCount = 4;

// Every preset in order.
std::span<const PartialPreset> PartialPresets();
// Its caption: "All", "Odd only", "Without the fundamental", "Fundamental only".
const std::string& PresetCaption(PartialPreset p);
// The lines a preset sounds.
PartialMask PresetMask(PartialPreset p);

// The lines that sound under per-line mute and solo switches: while any line is soloed only
// soloed lines sound; a muted line never sounds, soloed or not.
PartialMask AudibleLines(const PartialMask& muted, const PartialMask& soloed);

// Bounds of a resynthesis and its fades.
constexpr double kShortestResynthesisSeconds = 0.25;
constexpr double kLongestResynthesisSeconds = 4.0;
constexpr double kResynthesisFadeSeconds = 0.010; // raised-cosine fade in and out

// What to sound.
struct ResynthesisRequest {
    double seconds = 1.0;      // clamped here to 0.25 .. 4 s
    double targetRms = 0.1;    // RMS of the whole result, full scale 1 (the selection's RMS)
    std::int32_t rate = 48000; // samples per second of the result, > 0
    PartialMask play = PartialMask().set(); // the lines that sound (AudibleLines, PresetMask)
};

// The result: mono float samples, full scale +/- 1.
struct Resynthesis {
    std::vector<float> samples;
    bool peakLimited = false; // quieter than the target RMS so that no sample passes full scale
};

// Sounds the comb's Measured lines that `play` selects and that lie below the result's own
// Nyquist frequency: a sine per partial at its measured frequency, amplitude 10^(level / 20)
// relative to the others, Schroeder phases (so the sines do not all peak together), 10 ms fades
// at both ends. The whole is scaled to the target RMS, or lower if its peak would pass 1; the
// samples never exceed full scale. Nothing to sound, a target RMS <= 0 or not finite: silence
// of the duration. A rate <= 0: no samples. About 3 ms for 17 partials, 4 s at 48 kHz.
Resynthesis Resynthesise(const CombReading& comb, const ResynthesisRequest& request);
