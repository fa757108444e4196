// The test tone: its fields' checks and messages, the bin helpers, and what the tone holds,
// measured with a plain DFT written here.
#include "dialogs/test_tone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <functional>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

TestToneForm GoodForm() {
    return {.fundamentalHz = "440",
            .harmonicLevels = "0 -6 -12",
            .secondHz = "1000",
            .secondLevelDb = "-6",
            .noiseLevelDb = "-40",
            .seconds = "2",
            .rate = 44100};
}

// Power |X_k|^2 of bins 0 .. N/2 of the first N samples, by a plain DFT.
std::vector<double> PowerSpectrum(const std::vector<std::int16_t>& x, int N) {
    std::vector<std::complex<double>> turn(static_cast<std::size_t>(N));
    for (int j = 0; j < N; ++j) {
        turn[static_cast<std::size_t>(j)] = std::polar(1.0, -2 * kPi * j / N);
    }
    std::vector<double> power(static_cast<std::size_t>(N / 2 + 1));
    for (int k = 0; k <= N / 2; ++k) {
        std::complex<double> sum;
        for (int j = 0; j < N; ++j) {
            sum += static_cast<double>(x[static_cast<std::size_t>(j)]) *
                   turn[static_cast<std::size_t>((static_cast<std::int64_t>(j) * k) % N)];
        }
        power[static_cast<std::size_t>(k)] = std::norm(sum);
    }
    return power;
}

double Db(double powerRatio) {
    return 10.0 * std::log10(powerRatio);
}

} // namespace

TEST(TestTone, BadFieldsAreRefusedWithAMessageThatSaysWhy) {
    const char* kLevelsMessage = "The harmonic levels must be numbers of dB from -120 to 0, "
                                 "separated by blanks, for example 0 -6 -12.";
    struct Row {
        const char* what;
        std::function<void(TestToneForm&)> change;
        char separator;
        const char* message; // "" for a good form
    } rows[] = {
        {"good", [](TestToneForm&) {}, '.', ""},
        {"decimal comma", [](TestToneForm& f) { f.fundamentalHz = "440,5"; }, ',', ""},
        {"levels typed", [](TestToneForm& f) { f.waveform = ToneWaveform::HarmonicLevels; }, '.',
         ""},
        {"no number", [](TestToneForm& f) { f.fundamentalHz = "A4"; }, '.',
         "The fundamental must be a frequency in Hz, for example 440."},
        {"the other separator", [](TestToneForm& f) { f.fundamentalHz = "440.5"; }, ',',
         "The fundamental must be a frequency in Hz, for example 440."},
        {"zero", [](TestToneForm& f) { f.fundamentalHz = "0.0"; }, '.',
         "The fundamental must be above 0 Hz."},
        {"negative", [](TestToneForm& f) { f.fundamentalHz = "-5"; }, '.',
         "The fundamental must be above 0 Hz."},
        {"at Nyquist", [](TestToneForm& f) { f.fundamentalHz = "22050"; }, '.',
         "The fundamental must be below 22050 Hz, half the sample rate."},
        {"above Nyquist at 22050",
         [](TestToneForm& f) {
             f.fundamentalHz = "12000";
             f.rate = 22050;
         },
         ',', "The fundamental must be below 11025 Hz, half the sample rate."},
        {"rate", [](TestToneForm& f) { f.rate = 32000; }, '.',
         "The sample rate must be 22050, 44100 or 48000 Hz."},
        {"empty levels",
         [](TestToneForm& f) {
             f.waveform = ToneWaveform::HarmonicLevels;
             f.harmonicLevels = "   ";
         },
         '.', kLevelsMessage},
        {"a word among the levels",
         [](TestToneForm& f) {
             f.waveform = ToneWaveform::HarmonicLevels;
             f.harmonicLevels = "0 -6 loud";
         },
         '.', kLevelsMessage},
        {"a level above 0",
         [](TestToneForm& f) {
             f.waveform = ToneWaveform::HarmonicLevels;
             f.harmonicLevels = "0\t-6 +3";
         },
         '.', kLevelsMessage},
        {"second tone above Nyquist",
         [](TestToneForm& f) {
             f.secondTone = true;
             f.secondHz = "30000";
             f.rate = 48000;
         },
         '.', "The second tone's frequency must be below 24000 Hz, half the sample rate."},
        {"second tone's level",
         [](TestToneForm& f) {
             f.secondTone = true;
             f.secondLevelDb = "loud";
         },
         '.', "The second tone's level must be a number of dB from -120 to 0."},
        {"noise too low",
         [](TestToneForm& f) {
             f.noise = true;
             f.noiseLevelDb = "-130";
         },
         '.', "The noise level must be a number of dB from -120 to 0."},
        {"noise not used", [](TestToneForm& f) { f.noiseLevelDb = "none"; }, '.', ""},
        {"duration no number", [](TestToneForm& f) { f.seconds = "two"; }, '.',
         "The duration must be a number of seconds, for example 2."},
        {"duration too short", [](TestToneForm& f) { f.seconds = "0,05"; }, ',',
         "The duration must be from 0,1 to 60 seconds."},
        {"duration too long", [](TestToneForm& f) { f.seconds = "61"; }, '.',
         "The duration must be from 0.1 to 60 seconds."},
        {"duration shortest", [](TestToneForm& f) { f.seconds = "0.1"; }, '.', ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        TestToneForm form = GoodForm();
        r.change(form);
        const TestToneCheck c = CheckTestTone(form, r.separator);
        EXPECT_EQ(c.message, r.message);
        EXPECT_EQ(c.tone.has_value(), std::string(r.message).empty());
    }
    // What a good form becomes, read with the decimal comma.
    TestToneForm form = GoodForm();
    form.fundamentalHz = "440,5";
    form.waveform = ToneWaveform::HarmonicLevels;
    form.harmonicLevels = " 0  -6,5\t-12 ";
    form.secondTone = true;
    form.noise = true;
    const TestToneCheck comma = CheckTestTone(form, ',');
    ASSERT_TRUE(comma.tone.has_value());
    EXPECT_EQ(comma.tone->fundamentalHz, 440.5);
    EXPECT_EQ(comma.tone->harmonicLevelsDb, (std::vector<double>{0, -6.5, -12}));
    ASSERT_TRUE(comma.tone->second.has_value());
    EXPECT_EQ(comma.tone->second->hz, 1000.0);
    EXPECT_EQ(comma.tone->noiseLevelDb, -40.0);
}

TEST(TestTone, PutsAFrequencyOntoTheNearestBinOrHalfwayBetweenTwo) {
    struct Row {
        double f;
        std::int32_t points, rate;
        double onBin, halfway;
    } rows[] = {
        {440.0, 4096, 44100, 441.4306640625, 436.04736328125},       // bins 41; 40 and 41
        {5.0, 4096, 44100, 10.7666015625, 16.14990234375},           // no lower than bin 1
        {30000.0, 4096, 44100, 22039.2333984375, 22033.85009765625}, // below the Nyquist bin
        {1000.0, 32768, 48000, 1000.48828125, 999.755859375},
        {440.0, 4, 44100, 440.0, 440.0}, // too few points: unchanged
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.f);
        EXPECT_DOUBLE_EQ(OntoNearestBin(r.f, r.points, r.rate), r.onBin);
        EXPECT_DOUBLE_EQ(HalfwayBetweenBins(r.f, r.points, r.rate), r.halfway);
    }
}

TEST(TestTone, TheToneHoldsTheHarmonicsAskedAndNothingAliased) {
    constexpr int N = 4096;
    const double absent = -100.0;
    struct Row {
        const char* what;
        ToneWaveform waveform;
        std::vector<double> levels; // typed levels, for HarmonicLevels
        double askedHz;             // put onto a bin
        std::int32_t rate;
        std::vector<double> expectedDb; // harmonics 1 .. 5 against the fundamental
    } rows[] = {
        {"sine", ToneWaveform::Sine, {}, 440, 44100, {0, absent, absent, absent, absent}},
        {"square", ToneWaveform::Square, {}, 440, 44100, {0, absent, -9.54, absent, -13.98}},
        {"sawtooth", ToneWaveform::Sawtooth, {}, 440, 48000, {0, -6.02, -9.54, -12.04, -13.98}},
        {"triangle", ToneWaveform::Triangle, {}, 440, 22050, {0, absent, -19.08, absent, -27.96}},
        {"levels typed",
         ToneWaveform::HarmonicLevels,
         {-3, -9, -15},
         300,
         44100,
         {0, -6, -12, absent, absent}},
        {"square near Nyquist",
         ToneWaveform::Square,
         {},
         5000,
         22050,
         {0, absent, absent, absent, absent}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        TestTone t;
        t.waveform = r.waveform;
        t.harmonicLevelsDb = r.levels;
        t.fundamentalHz = OntoNearestBin(r.askedHz, N, r.rate);
        t.rate = r.rate;
        t.seconds = 0.5;
        const std::vector<std::int16_t> x = MakeTestTone(t);
        ASSERT_EQ(x.size(), static_cast<std::size_t>(r.rate / 2));
        const auto peak = std::max_element(
            x.begin(), x.end(), [](auto a, auto b) { return std::abs(a) < std::abs(b); });
        EXPECT_NEAR(std::abs(*peak), 29204, 1); // -1 dBFS

        // Whole cycles of every harmonic fit the N points: each lies on its own bin, and the
        // strongest bin is the fundamental, at the frequency asked.
        const std::vector<double> p = PowerSpectrum(x, N);
        const int k0 = static_cast<int>(std::lround(t.fundamentalHz * N / r.rate));
        EXPECT_EQ(std::max_element(p.begin(), p.end()) - p.begin(), k0);
        EXPECT_NEAR(k0 * static_cast<double>(r.rate) / N, t.fundamentalHz, 1e-9);
        EXPECT_NEAR(t.fundamentalHz, r.askedHz, r.rate / (2.0 * N));
        for (std::size_t i = 1; i < r.expectedDb.size(); ++i) {
            const int k = k0 * static_cast<int>(i + 1);
            const double level = k <= N / 2 ? Db(p[static_cast<std::size_t>(k)] / p[k0]) : absent;
            if (r.expectedDb[i] <= absent) {
                EXPECT_LT(level, -80.0) << "harmonic " << i + 1;
            } else {
                EXPECT_NEAR(level, r.expectedDb[i], 0.05) << "harmonic " << i + 1;
            }
        }
        // Nothing besides the harmonics: no aliases, no leakage (16-bit rounding aside).
        for (int k = 1; k < N / 2; ++k) {
            if (k % k0 != 0) {
                EXPECT_LT(Db(p[static_cast<std::size_t>(k)] / p[k0]), -80.0) << "bin " << k;
            }
        }
    }

    // A second tone at its level, noise at its RMS; the same tone gives the same samples.
    TestTone t;
    t.fundamentalHz = OntoNearestBin(440, N, 44100);
    t.second = SecondTone{OntoNearestBin(1000, N, 44100), -6.0};
    t.noiseLevelDb = -30.0;
    t.seconds = 0.5;
    const std::vector<std::int16_t> x = MakeTestTone(t);
    EXPECT_EQ(MakeTestTone(t), x);
    const std::vector<double> p = PowerSpectrum(x, N);
    const int k0 = static_cast<int>(std::lround(t.fundamentalHz * N / 44100));
    const int k2 = static_cast<int>(std::lround(t.second->hz * N / 44100));
    EXPECT_NEAR(Db(p[static_cast<std::size_t>(k2)] / p[k0]), -6.0, 0.3);
    double noise = 0.0;
    for (int k = 1; k < N / 2; ++k) {
        if (k != k0 && k != k2) {
            noise += p[static_cast<std::size_t>(k)];
        }
    }
    EXPECT_NEAR(Db(noise / p[k0]), -30.0, 0.5);
}
