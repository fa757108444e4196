#include "test_tone.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// One cycle of the waveform is held in a table and read with linear interpolation: with 65536
// entries the error on harmonic n is (pi n / 65536)^2 / 2 of its amplitude, far below 16 bits.
constexpr std::size_t kTableSize = 65536;
constexpr std::size_t kTableMask = kTableSize - 1;
constexpr std::uint64_t kNoiseSeed = 0x9E3779B97F4A7C15ull;
constexpr double kFullScale = 32767.0;

std::string Text(double v, char separator) {
    return num::DoubleText(v, separator);
}

std::optional<double> Number(std::string_view text, char separator) {
    try {
        return num::ParseNumber(text, separator);
    } catch (const num::NumberError&) {
        return std::nullopt;
    }
}

bool LevelOk(double db) {
    return db >= kLowestToneLevelDb && db <= kHighestToneLevelDb;
}

// A frequency field: a number above 0 and below the Nyquist frequency, or the message.
std::optional<double> Frequency(std::string_view text, const std::string& what, std::int32_t rate,
                                char separator, std::string& message) {
    const auto f = Number(text, separator);
    if (!f) {
        message = what + " must be a frequency in Hz, for example 440.";
    } else if (*f <= 0.0) {
        message = what + " must be above 0 Hz.";
    } else if (*f >= rate / 2.0) {
        message =
            what + " must be below " + Text(rate / 2.0, separator) + " Hz, half the sample rate.";
    } else {
        return f;
    }
    return std::nullopt;
}

// A level field: a number from -120 to 0 dB, or the message.
std::optional<double> Level(std::string_view text, const std::string& what, char separator,
                            std::string& message) {
    const auto db = Number(text, separator);
    if (db && LevelOk(*db)) {
        return db;
    }
    message = what + " must be a number of dB from " + Text(kLowestToneLevelDb, separator) +
              " to " + Text(kHighestToneLevelDb, separator) + ".";
    return std::nullopt;
}

double Amplitude(double db) {
    return std::pow(10.0, db / 20.0);
}

// The amplitudes of harmonics 1, 2, ... below the Nyquist frequency (index n-1), signed.
std::vector<double> HarmonicAmplitudes(const TestTone& t) {
    const double nyquist = t.rate / 2.0;
    // n f0 < nyquist for n below the ceiling of their ratio, within the table's reach.
    const double most = static_cast<double>(std::min(kMostToneHarmonics, kTableSize / 2 - 1));
    const auto count =
        static_cast<std::size_t>(std::clamp(std::ceil(nyquist / t.fundamentalHz) - 1.0, 0.0, most));
    std::vector<double> a(count, 0.0);
    for (std::size_t i = 0; i < count; ++i) {
        const double n = static_cast<double>(i + 1);
        const bool odd = (i % 2) == 0;
        const double alternate = ((i / 2) % 2) == 0 ? 1.0 : -1.0; // + for n = 1, 5, 9 ...
        switch (t.waveform) {
        case ToneWaveform::Sine:
            a[i] = i == 0 ? 1.0 : 0.0;
            break;
        case ToneWaveform::Square:
            a[i] = odd ? 1.0 / n : 0.0;
            break;
        case ToneWaveform::Sawtooth:
            a[i] = (odd ? 1.0 : -1.0) / n;
            break;
        case ToneWaveform::Triangle:
            a[i] = odd ? alternate / (n * n) : 0.0;
            break;
        case ToneWaveform::HarmonicLevels:
            a[i] = i < t.harmonicLevelsDb.size() ? Amplitude(t.harmonicLevelsDb[i]) : 0.0;
            break;
        }
    }
    return a;
}

// One cycle of sin(2 pi j / size), and the cycle of the waveform as the sum of its harmonics:
// harmonic n at entry j is the sine's entry n j (mod size), exact and without drift.
std::vector<double> SineTable() {
    std::vector<double> s(kTableSize + 1);
    for (std::size_t j = 0; j <= kTableSize; ++j) {
        s[j] = std::sin(2.0 * std::numbers::pi * static_cast<double>(j) / kTableSize);
    }
    return s;
}

std::vector<double> CycleTable(const std::vector<double>& amplitudes,
                               const std::vector<double>& sine) {
    std::vector<double> cycle(kTableSize + 1, 0.0);
    for (std::size_t i = 0; i < amplitudes.size(); ++i) {
        const double a = amplitudes[i];
        if (a == 0.0) {
            continue;
        }
        const std::size_t n = i + 1;
        for (std::size_t j = 0; j < kTableSize; ++j) {
            cycle[j] += a * sine[(n * j) & kTableMask];
        }
    }
    cycle[kTableSize] = cycle[0]; // the entry after the last, for interpolation
    return cycle;
}

// Adds the periodic `table` at `hz` to x, read with linear interpolation.
void AddCycle(const std::vector<double>& table, double hz, std::int32_t rate, double gain,
              std::vector<double>& x) {
    const double cyclesPerSample = hz / rate;
    for (std::size_t t = 0; t < x.size(); ++t) {
        const double position =
            std::fmod(cyclesPerSample * static_cast<double>(t), 1.0) * kTableSize;
        const auto j = std::min(static_cast<std::size_t>(position), kTableSize - 1);
        const double fraction = position - static_cast<double>(j);
        x[t] += gain * (table[j] + fraction * (table[j + 1] - table[j]));
    }
}

// White noise of the given RMS, uniform, from a fixed seed (xorshift64).
void AddNoise(double rms, std::vector<double>& x) {
    std::uint64_t state = kNoiseSeed;
    const double half = std::sqrt(3.0) * rms; // a uniform spread of +/- half has this RMS
    for (double& v : x) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const double u = static_cast<double>(state >> 11) / static_cast<double>(1ull << 53);
        v += half * (2.0 * u - 1.0);
    }
}

std::optional<double> BinWidth(std::int32_t FftPoints, std::int32_t rate) {
    if (FftPoints < 8 || rate <= 0) {
        return std::nullopt;
    }
    return static_cast<double>(rate) / FftPoints;
}

} // namespace

std::optional<std::vector<double>> ParseHarmonicLevels(std::string_view text, char separator) {
    std::vector<double> levels;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = text.find_first_not_of(" \t", i);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        const auto db = Number(text.substr(start, end - start), separator);
        if (!db || !LevelOk(*db) || levels.size() == kMostToneHarmonics) {
            return std::nullopt;
        }
        levels.push_back(*db);
        i = end;
    }
    if (levels.empty()) {
        return std::nullopt;
    }
    return levels;
}

TestToneCheck CheckTestTone(const TestToneForm& form, char separator) {
    TestToneCheck c;
    TestTone t;
    if (std::find(kTestToneRates.begin(), kTestToneRates.end(), form.rate) ==
        kTestToneRates.end()) {
        c.message = "The sample rate must be 22050, 44100 or 48000 Hz.";
        return c;
    }
    t.rate = form.rate;
    t.waveform = form.waveform;

    const auto f0 = Frequency(form.fundamentalHz, "The fundamental", t.rate, separator, c.message);
    if (!f0) {
        return c;
    }
    t.fundamentalHz = *f0;

    if (form.waveform == ToneWaveform::HarmonicLevels) {
        const auto levels = ParseHarmonicLevels(form.harmonicLevels, separator);
        if (!levels) {
            c.message = "The harmonic levels must be numbers of dB from " +
                        Text(kLowestToneLevelDb, separator) + " to " +
                        Text(kHighestToneLevelDb, separator) +
                        ", separated by blanks, for example 0 -6 -12.";
            return c;
        }
        t.harmonicLevelsDb = *levels;
    }

    if (form.secondTone) {
        const auto hz =
            Frequency(form.secondHz, "The second tone's frequency", t.rate, separator, c.message);
        if (!hz) {
            return c;
        }
        const auto db = Level(form.secondLevelDb, "The second tone's level", separator, c.message);
        if (!db) {
            return c;
        }
        t.second = SecondTone{*hz, *db};
    }

    if (form.noise) {
        const auto db = Level(form.noiseLevelDb, "The noise level", separator, c.message);
        if (!db) {
            return c;
        }
        t.noiseLevelDb = *db;
    }

    const auto seconds = Number(form.seconds, separator);
    if (!seconds) {
        c.message = "The duration must be a number of seconds, for example 2.";
        return c;
    }
    if (*seconds < kShortestToneSeconds || *seconds > kLongestToneSeconds) {
        c.message = "The duration must be from " + Text(kShortestToneSeconds, separator) + " to " +
                    Text(kLongestToneSeconds, separator) + " seconds.";
        return c;
    }
    t.seconds = *seconds;
    c.tone = t;
    return c;
}

std::vector<std::int16_t> MakeTestTone(const TestTone& tone) {
    const bool valid = tone.rate > 0 && tone.fundamentalHz > 0.0 &&
                       tone.fundamentalHz < tone.rate / 2.0 && tone.seconds > 0.0 &&
                       tone.seconds <= kLongestToneSeconds;
    if (!valid) {
        return {};
    }
    const auto frames = static_cast<std::size_t>(std::lround(tone.seconds * tone.rate));
    std::vector<double> x(frames, 0.0);
    const std::vector<double> sine = SineTable();
    AddCycle(CycleTable(HarmonicAmplitudes(tone), sine), tone.fundamentalHz, tone.rate, 1.0, x);
    if (tone.second && tone.second->hz > 0.0 && tone.second->hz < tone.rate / 2.0) {
        AddCycle(sine, tone.second->hz, tone.rate, Amplitude(tone.second->levelDb), x);
    }
    if (tone.noiseLevelDb) {
        AddNoise(Amplitude(*tone.noiseLevelDb) / std::sqrt(2.0), x);
    }

    double peak = 0.0;
    for (const double v : x) {
        peak = std::max(peak, std::abs(v));
    }
    std::vector<std::int16_t> samples(frames, 0);
    if (!(peak > 0.0)) {
        return samples;
    }
    const double scale = Amplitude(kTonePeakDbfs) * kFullScale / peak;
    for (std::size_t t = 0; t < frames; ++t) {
        samples[t] = static_cast<std::int16_t>(num::RoundHalfEven(x[t] * scale));
    }
    return samples;
}

double OntoNearestBin(double f, std::int32_t FftPoints, std::int32_t rate) {
    const auto width = BinWidth(FftPoints, rate);
    if (!width || !std::isfinite(f)) {
        return f;
    }
    const double k = std::clamp(std::floor(f / *width + 0.5), 1.0, FftPoints / 2.0 - 1.0);
    return k * *width;
}

double HalfwayBetweenBins(double f, std::int32_t FftPoints, std::int32_t rate) {
    const auto width = BinWidth(FftPoints, rate);
    if (!width || !std::isfinite(f)) {
        return f;
    }
    const double k = std::clamp(std::floor(f / *width), 1.0, FftPoints / 2.0 - 2.0);
    return (k + 0.5) * *width;
}

std::string TestToneFileName(const TestTone& tone, const std::tm& when) {
    char time[32];
    std::strftime(time, sizeof time, "%Y-%m-%d %H-%M-%S", &when);
    const double hz = std::round(tone.fundamentalHz * 1000.0) / 1000.0;
    return "Test tone " + num::DoubleText(hz) + " Hz " + time + ".wav";
}
