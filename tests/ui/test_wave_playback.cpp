// Wave audio through the disk driver: what was really handed to the device is checked
// against the file's own samples.
#include "tests/support/disk_engine.h"
#include "ui/mm_control.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace {

// A sample that is never zero, so silence in the capture can only be the device's own.
int NoiseSample(int frame) {
    const unsigned h = static_cast<unsigned>(frame) * 2654435761u;
    const int v = static_cast<int>(h >> 17) % 20000;
    return (frame % 2 == 0) ? 100 + v : -100 - v;
}

std::string WriteNoise(const TempDir& dir, int rate, int frames) {
    const std::string path = dir.File("noise.wav");
    WriteFile(path, MakeWave(1, 16, rate, frames, [](int f, int) { return NoiseSample(f); }));
    return path;
}

struct Player {
    MMControl mmc;
    int done = 0;
    Player(AudioEngine& engine, const std::string& file) : mmc(engine) {
        mmc.SetDeviceType("WaveAudio");
        mmc.SetTimeFormat(0);
        mmc.SetFileName(file);
        mmc.Done = [this] { ++done; };
        mmc.SetCommand("Open");
    }
};

} // namespace

TEST(WavePlayback, PlaysExactlyTheRangeAndReportsItsEnd) {
    DiskEngine engine;
    const int rate = engine.Rate();
    const std::string file = WriteNoise(engine.Dir(), rate, rate); // one second
    {
        Player p(engine.Engine(), file);
        ASSERT_EQ(p.mmc.Error(), 0);
        p.mmc.SetFrom(200);
        p.mmc.SetTo(700);
        p.mmc.SetCommand("Play");
        EXPECT_EQ(p.done, 0) << "Done must be queued, not raised inside Play";
        EXPECT_TRUE(p.mmc.IsPlaying());
        ASSERT_TRUE(PumpUntil([&] { return p.done > 0; }, 3000));
        EXPECT_EQ(p.mmc.Position(), 700);
        PumpFor(100);
        EXPECT_EQ(p.done, 1);
        EXPECT_FALSE(p.mmc.IsPlaying());
    }
    const Capture c = engine.Finish();
    const auto onset = c.Onset();
    ASSERT_TRUE(onset.has_value());
    const std::size_t first = static_cast<std::size_t>(rate / 5); // 200 ms
    const std::size_t count = static_cast<std::size_t>(rate / 2); // 500 ms
    ASSERT_GE(c.Frames(), *onset + count);
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const float want = NoiseSample(static_cast<int>(first + i)) / 32768.0f;
        mismatches += (c.Left(*onset + i) != want) + (c.Right(*onset + i) != want);
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_EQ(c.End(), *onset + count) << "nothing sounds after the range";
}

TEST(WavePlayback, ResampledRangeKeepsPitchAndDuration) {
    DiskEngine engine;
    const int rate = engine.Rate();
    const std::string file = engine.Dir().File("tone.wav");
    // A 1 kHz tone at 22050 frames per second, stereo, written by sox.
    const std::string cmd =
        "sox -n -r 22050 -c 2 -b 16 '" + file + "' synth 1.0 sine 1000 vol 0.5 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    {
        Player p(engine.Engine(), file);
        ASSERT_EQ(p.mmc.Error(), 0);
        p.mmc.SetFrom(250);
        p.mmc.SetTo(750);
        p.mmc.SetCommand("Play");
        ASSERT_TRUE(PumpUntil([&] { return p.done > 0; }, 3000));
    }
    const Capture c = engine.Finish();
    constexpr float kAudible = 0.01f;
    const auto onset = c.Onset(kAudible);
    ASSERT_TRUE(onset.has_value());
    const double ms = (c.End(kAudible) - *onset) * 1000.0 / rate;
    EXPECT_NEAR(ms, 500.0, 3.0);
    const double hz = ZeroCrossingFrequency(c.LeftChannel(*onset + 100, rate / 4), rate);
    EXPECT_NEAR(hz, 1000.0, 10.0);
}

TEST(WavePlayback, PauseTwiceResumesWherePaused) {
    DiskEngine engine;
    const int rate = engine.Rate();
    const int frames = rate * 3 / 4;
    const std::string file = WriteNoise(engine.Dir(), rate, frames);
    {
        Player p(engine.Engine(), file);
        p.mmc.SetCommand("Play");
        ASSERT_TRUE(engine.PumpDeviceFrames(static_cast<std::size_t>(rate / 4)));
        p.mmc.SetCommand("Pause");
        EXPECT_TRUE(p.mmc.IsPaused());
        const std::int32_t at = p.mmc.Position();
        EXPECT_GT(at, 150);
        EXPECT_LT(at, 400);
        ASSERT_TRUE(engine.PumpDeviceFrames(static_cast<std::size_t>(rate * 3 / 10)));
        EXPECT_EQ(p.mmc.Position(), at) << "a paused play does not move";
        EXPECT_EQ(p.done, 0);
        p.mmc.SetCommand("Pause");
        EXPECT_TRUE(p.mmc.IsPlaying());
        ASSERT_TRUE(PumpUntil([&] { return p.done > 0; }, 3000));
        PumpFor(50);
        EXPECT_EQ(p.done, 1);
    }
    const Capture c = engine.Finish();
    // Every frame of the file is heard once, in order; the pause is a stretch of silence.
    std::vector<float> heard;
    std::size_t longestGap = 0, gap = 0;
    const auto onset = c.Onset();
    ASSERT_TRUE(onset.has_value());
    for (std::size_t f = *onset; f < c.End(); ++f) {
        if (c.Left(f) != 0.0f) {
            heard.push_back(c.Left(f));
            gap = 0;
        } else {
            longestGap = std::max(longestGap, ++gap);
        }
    }
    ASSERT_EQ(heard.size(), static_cast<std::size_t>(frames));
    std::size_t mismatches = 0;
    for (int i = 0; i < frames; ++i) {
        mismatches += heard[static_cast<std::size_t>(i)] != NoiseSample(i) / 32768.0f;
    }
    EXPECT_EQ(mismatches, 0u);
    EXPECT_GT(longestGap, static_cast<std::size_t>(rate / 5)) << "the pause was heard";
}

TEST(WavePlayback, StopGivesExactlyOneCompletionAndSilence) {
    DiskEngine engine;
    const int rate = engine.Rate();
    const std::string file = WriteNoise(engine.Dir(), rate, rate * 2);
    std::size_t handedAtStop = 0;
    {
        Player p(engine.Engine(), file);
        p.mmc.SetCommand("Play");
        ASSERT_TRUE(engine.PumpDeviceFrames(static_cast<std::size_t>(rate / 5)));
        handedAtStop = engine.FramesHanded();
        p.mmc.SetCommand("Stop");
        EXPECT_EQ(p.done, 0) << "Done arrives as a queued event";
        EXPECT_FALSE(p.mmc.IsPlaying());
        const std::int32_t stoppedAt = p.mmc.Position();
        PumpFor(300);
        EXPECT_EQ(p.done, 1);
        EXPECT_EQ(p.mmc.Position(), stoppedAt);
        p.mmc.SetCommand("Stop"); // no play left to end
        PumpFor(50);
        EXPECT_EQ(p.done, 1);
    }
    const Capture c = engine.Finish();
    const auto onset = c.Onset();
    ASSERT_TRUE(onset.has_value());
    const double heardMs = (c.End() - *onset) * 1000.0 / rate;
    EXPECT_GT(heardMs, 100);
    // Silence within a few device buffers of Stop, counted from what the device had been handed
    // when Stop came: on a loaded machine the pump before it may overshoot its 200 ms.
    const double afterStopMs =
        (static_cast<double>(c.End()) - static_cast<double>(handedAtStop)) * 1000.0 / rate;
    EXPECT_LT(afterStopMs, 100) << "heard " << heardMs << " ms in all";
}

TEST(WavePlayback, ReplayEndsThePreviousPlayAndCloseRaisesNothing) {
    DiskEngine engine;
    const std::string file = WriteNoise(engine.Dir(), engine.Rate(), engine.Rate());
    Player p(engine.Engine(), file);
    p.mmc.SetCommand("Play");
    PumpFor(50);
    p.mmc.SetCommand("Play"); // the first play ends here
    PumpFor(50);
    EXPECT_EQ(p.done, 1);
    p.mmc.SetCommand("Stop");
    p.mmc.SetCommand("Close"); // drops the queued completion of the stopped play
    PumpFor(100);
    EXPECT_EQ(p.done, 1);
    EXPECT_FALSE(p.mmc.IsOpen());
    // Close releases the file: it can be rewritten and opened again.
    WriteFile(file, MakeWave(1, 8, 8000, 800, [](int, int) { return 200; }));
    p.mmc.SetCommand("Open");
    EXPECT_EQ(p.mmc.Error(), 0);
    p.mmc.SetCommand("Play");
    ASSERT_TRUE(PumpUntil([&] { return p.done == 2; }, 2000));
    EXPECT_EQ(p.mmc.Position(), 100);
}

TEST(WavePlayback, StatusUpdatesFollowTheIntervalWhileOpen) {
    DiskEngine engine;
    const std::string file = WriteNoise(engine.Dir(), engine.Rate(), engine.Rate());
    Player p(engine.Engine(), file);
    std::vector<std::int32_t> positions;
    p.mmc.StatusUpdate = [&] { positions.push_back(p.mmc.Position()); };
    p.mmc.SetUpdateInterval(50);
    p.mmc.SetCommand("Play");
    // A busy or instrumented machine delays the timer, so wait for the updates
    // and bound their count by the time that really passed.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return positions.size() >= 4; }, 3000));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_LE(positions.size(), static_cast<std::size_t>(waited.count() / 50 + 1));
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_GT(positions.back(), positions.front());
    p.mmc.SetUpdateInterval(0);
    const std::size_t seen = positions.size();
    PumpFor(150);
    EXPECT_EQ(positions.size(), seen);
    p.mmc.SetUpdateInterval(50);
    p.mmc.SetCommand("Close");
    PumpFor(150);
    EXPECT_EQ(positions.size(), seen) << "no updates while closed";
}
