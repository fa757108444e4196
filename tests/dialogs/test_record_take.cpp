// What the Record window measures and keeps, and the header of the file it writes.
#include "tests/support/fixtures.h"

#include "base/wave_writer.h"
#include "dialogs/record_take.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::vector<float> Sine(double level, int frames) {
    std::vector<float> x(static_cast<std::size_t>(frames));
    for (int n = 0; n < frames; ++n) {
        x[static_cast<std::size_t>(n)] =
            static_cast<float>(level * std::sin(2 * kPi * 1000.0 * n / kRecordRate));
    }
    return x;
}

} // namespace

TEST(RecordTake, TheMeterReadsTheLatest50msAndNamesClippingAndSilence) {
    struct Case {
        const char* what;
        double level;
        int seconds10; // tenths of a second fed
        double peakDb, rmsDb;
        LevelMeter::Word word;
    } cases[] = {
        {"full scale", 1.0, 5, 0.0, -3.01, LevelMeter::Word::Clipping},
        {"a tenth", 0.1, 5, -20.0, -23.01, LevelMeter::Word::None},
        {"too quiet, not yet a second", 0.001, 9, -60.0, -63.01, LevelMeter::Word::None},
        {"too quiet for a second", 0.001, 11, -60.0, -63.01, LevelMeter::Word::TooQuiet},
    };
    for (const Case& c : cases) {
        LevelMeter meter;
        // A loud burst first: the meter forgets it after 50 ms, the words after a second.
        const std::vector<float> burst = Sine(c.level < 0.5 ? 0.9 : c.level, kRecordRate / 10);
        meter.Feed(burst.data(), burst.size());
        const std::vector<float> x = Sine(c.level, kRecordRate * c.seconds10 / 10);
        meter.Feed(x.data(), x.size());
        EXPECT_NEAR(meter.PeakDbfs(), c.peakDb, 0.01) << c.what;
        EXPECT_NEAR(meter.RmsDbfs(), c.rmsDb, 0.01) << c.what;
        EXPECT_EQ(meter.Status(), c.word) << c.what;
    }
    EXPECT_TRUE(std::isinf(LevelMeter().PeakDbfs()));
}

TEST(RecordTake, ATakeKeepsExactlySixtySecondsAndConvertsToSixteenBits) {
    Take take;
    const std::vector<float> chunk(kRecordRate * 7, 0.25f); // 7 s a chunk, across the limit
    std::int64_t kept = 0;
    while (!take.Full()) {
        kept += static_cast<std::int64_t>(take.Append(chunk.data(), chunk.size()));
    }
    EXPECT_EQ(kept, 60 * kRecordRate);
    EXPECT_EQ(take.Frames(), 60 * kRecordRate);
    EXPECT_EQ(take.Append(chunk.data(), chunk.size()), 0u);

    Take small(8);
    const float x[] = {0.0f, 1.0f, -1.0f, 1.5f, -7.0f, 0.5f, std::nanf(""), -0.25f};
    small.Append(x, 8);
    EXPECT_EQ(small.Samples(),
              (std::vector<std::int16_t>{0, 32767, -32767, 32767, -32767, 16384, 0, -8192}));
}

TEST(RecordTake, FilesAreNamedByTimeAndHeadedLikeTheDemonstrationWave) {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 8;
    when.tm_hour = 18;
    when.tm_min = 55;
    when.tm_sec = 1;
    EXPECT_EQ(RecordingFileName(when), "Recording 2026-12-08 18-55-01.wav");
    EXPECT_EQ(ElapsedText(kRecordRate * 61 + kRecordRate / 2 - 1, kRecordRate), "1:01.4");

    // Demo.wav is 6 s of 16-bit mono at 22050 Hz in the canonical layout.
    const Bytes demo = ReadFile(std::string(std::getenv("TONVEXA_ASSETS")) + "/Demo.wav");
    ASSERT_GT(demo.size(), 44u);
    const std::vector<std::uint8_t> header = WaveHeader16Mono(6 * 22050, 22050);
    EXPECT_EQ(header, Bytes(demo.begin(), demo.begin() + 44));
}
