#include "resynthesis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// Every so many samples an oscillator's phasor is set afresh from the exact phase, so the
// recurrence's rounding never accumulates.
constexpr std::size_t kPhasorRun = 4096;

// One sine to sound: frequency in cycles per sample, amplitude, starting phase (radians).
struct Sine {
    double cyclesPerSample;
    double amplitude;
    double phase;
};

// The sines of the Measured lines that `play` selects and the rate can carry, with Schroeder's
// phases for their powers: phi_n = -2 pi sum_(l < n) (n - l) p_l, p_l the share of the power.
std::vector<Sine> SinesToSound(const CombReading& comb, const PartialMask& play,
                               std::int32_t rate) {
    std::vector<Sine> sines;
    for (const PartialReading& line : comb.lines) {
        const bool audible = line.status == PartialStatus::Measured &&
                             play.test(static_cast<std::size_t>(line.n - 1));
        if (audible && line.measuredHz > 0.0 && line.measuredHz < rate / 2.0) {
            sines.push_back({line.measuredHz / rate, std::pow(10.0, line.levelDb / 20.0), 0.0});
        }
    }
    double power = 0.0;
    for (const Sine& s : sines) {
        power += s.amplitude * s.amplitude;
    }
    for (std::size_t n = 0; n < sines.size(); ++n) {
        double sum = 0.0;
        for (std::size_t l = 0; l < n; ++l) {
            sum += static_cast<double>(n - l) * sines[l].amplitude * sines[l].amplitude / power;
        }
        sines[n].phase = -2.0 * std::numbers::pi * sum;
    }
    return sines;
}

// Adds every sine, amplitude sin(2 pi c t + phase) for t = 0 .. out.size()-1, by rotating
// phasors: within a run the sines advance side by side, so their recurrences overlap.
void AddSines(const std::vector<Sine>& sines, std::vector<double>& out) {
    const std::size_t count = sines.size();
    std::vector<double> zr(count), zi(count), wr(count), wi(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double step = 2.0 * std::numbers::pi * sines[i].cyclesPerSample;
        wr[i] = std::cos(step);
        wi[i] = std::sin(step);
    }
    for (std::size_t start = 0; start < out.size(); start += kPhasorRun) {
        for (std::size_t i = 0; i < count; ++i) {
            // The phase at `start` from the fraction of cycles only, so it stays exact.
            const Sine& s = sines[i];
            const double cycles = std::fmod(s.cyclesPerSample * static_cast<double>(start), 1.0);
            const double phase = 2.0 * std::numbers::pi * cycles + s.phase;
            zr[i] = s.amplitude * std::cos(phase);
            zi[i] = s.amplitude * std::sin(phase);
        }
        const std::size_t end = std::min(out.size(), start + kPhasorRun);
        for (std::size_t t = start; t < end; ++t) {
            double sum = 0.0;
            for (std::size_t i = 0; i < count; ++i) {
                sum += zi[i];
                const double r = zr[i] * wr[i] - zi[i] * wi[i];
                zi[i] = zr[i] * wi[i] + zi[i] * wr[i];
                zr[i] = r;
            }
            out[t] += sum;
        }
    }
}

// Raised-cosine fades of `frames` samples at both ends.
void Fade(std::vector<double>& x, std::size_t frames) {
    frames = std::min(frames, x.size() / 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double g =
            0.5 - 0.5 * std::cos(std::numbers::pi * (static_cast<double>(i) + 0.5) / frames);
        x[i] *= g;
        x[x.size() - 1 - i] *= g;
    }
}

} // namespace

std::span<const PartialPreset> PartialPresets() {
    static constexpr std::array<PartialPreset, kPartialPresetCount> all{
        PartialPreset::All, PartialPreset::OddOnly, PartialPreset::WithoutFundamental,
        PartialPreset::FundamentalOnly};
    return all;
}

const std::string& PresetCaption(PartialPreset p) {
    static const std::array<std::string, kPartialPresetCount> captions{
        "All", "Odd only", "Without the fundamental", "Fundamental only"};
    return captions.at(static_cast<std::size_t>(p));
}

PartialMask PresetMask(PartialPreset p) {
    PartialMask m;
    switch (p) {
    case PartialPreset::All:
        m.set();
        break;
    case PartialPreset::OddOnly:
        for (std::size_t i = 0; i < m.size(); i += 2) {
            m.set(i); // harmonics 1, 3, 5 ...
        }
        break;
    case PartialPreset::WithoutFundamental:
        m.set().reset(0);
        break;
    case PartialPreset::FundamentalOnly:
        m.set(0);
        break;
    }
    return m;
}

PartialMask AudibleLines(const PartialMask& muted, const PartialMask& soloed) {
    const PartialMask candidates = soloed.any() ? soloed : PartialMask().set();
    return candidates & ~muted;
}

Resynthesis Resynthesise(const CombReading& comb, const ResynthesisRequest& request) {
    Resynthesis r;
    if (request.rate <= 0) {
        return r;
    }
    const double seconds =
        std::isfinite(request.seconds)
            ? std::clamp(request.seconds, kShortestResynthesisSeconds, kLongestResynthesisSeconds)
            : kShortestResynthesisSeconds;
    const auto frames = static_cast<std::size_t>(std::lround(seconds * request.rate));
    r.samples.assign(frames, 0.0f);
    const std::vector<Sine> sines = SinesToSound(comb, request.play, request.rate);
    if (sines.empty() || !(request.targetRms > 0.0) || !std::isfinite(request.targetRms)) {
        return r;
    }

    std::vector<double> x(frames, 0.0);
    AddSines(sines, x);
    Fade(x, static_cast<std::size_t>(std::lround(kResynthesisFadeSeconds * request.rate)));

    double energy = 0.0;
    double peak = 0.0;
    for (const double v : x) {
        energy += v * v;
        peak = std::max(peak, std::abs(v));
    }
    const double rms = std::sqrt(energy / static_cast<double>(frames));
    if (!(rms > 0.0)) {
        return r;
    }
    double gain = request.targetRms / rms;
    if (peak * gain > 1.0) {
        gain = 1.0 / peak;
        r.peakLimited = true;
    }
    for (std::size_t t = 0; t < frames; ++t) {
        r.samples[t] = static_cast<float>(std::clamp(x[t] * gain, -1.0, 1.0));
    }
    return r;
}
