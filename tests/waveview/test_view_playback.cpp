// The waveform view's playback through the disk driver: what the device was really given
// when the view plays a selection, pauses and resumes, and plays cyclically until "Stop".
#include "playback_fixture.h"
#include "tests/support/disk_engine.h"

#include <cmath>
#include <numbers>

namespace {

// A sample that is never zero, so silence in the capture can only be the device's own.
int NoiseSample(int frame, int = 0) {
    const unsigned h = static_cast<unsigned>(frame) * 2246822519u;
    const int v = static_cast<int>(h >> 17) % 20000;
    return (frame % 2 == 0) ? 150 + v : -150 - v;
}

float Heard(int frame) {
    return NoiseSample(frame) / 32768.0f;
}

// First frame of a millisecond position, as the player counts it.
std::size_t FrameAt(std::int32_t ms, int rate) {
    return static_cast<std::size_t>(std::llround(ms * static_cast<double>(rate) / 1000.0));
}

// The non-silent left samples of a capture, in order (the device's silence dropped).
std::vector<float> Sounded(const Capture& c) {
    std::vector<float> out;
    for (std::size_t f = 0; f < c.Frames(); ++f) {
        if (c.Left(f) != 0.0f) {
            out.push_back(c.Left(f));
        }
    }
    return out;
}

} // namespace

class ViewPlayback : public PlaybackTest {
  protected:
    // The engine must run on the disk driver before the view makes its player.
    void SetUp() override {
        PlaybackTest::SetUp();
        engine = std::make_unique<DiskEngine>();
        audio = &engine->Engine();
        rate = engine->Rate();
    }
    void TearDown() override {
        PlaybackTest::TearDown();
        view.reset();
        engine.reset();
    }

    std::unique_ptr<DiskEngine> engine;
    int rate = 0;
};

TEST_F(ViewPlayback, PlayOfASelectionPlaysExactlyThatStretch) {
    Form103& f = LoadCounted(1, 16, rate, rate * 2, NoiseSample);
    Select(f, 1500, 6500);
    const std::size_t first = FrameAt(f.SelIniMs, rate);
    const std::size_t count = FrameAt(f.SelEndMs, rate) - first;
    ASSERT_GT(count, static_cast<std::size_t>(rate / 2));
    f.Command1.Press();
    ASSERT_TRUE(WaitForRest(f));
    EXPECT_EQ(completions, 1);
    const Capture c = engine->Finish();
    const auto onset = c.Onset();
    ASSERT_TRUE(onset.has_value());
    EXPECT_EQ(c.End(), *onset + count) << "the stretch, then silence";
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < count && *onset + i < c.Frames(); ++i) {
        const float want = Heard(static_cast<int>(first + i));
        mismatches += (c.Left(*onset + i) != want) + (c.Right(*onset + i) != want);
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST_F(ViewPlayback, AResampledStereoSelectionKeepsItsChannelsPitchesAndDuration) {
    // 22050 frames per second: 441 Hz on the left, 882 Hz on the right.
    constexpr int kFileRate = 22050;
    const auto tone = [](int frame, int channel) {
        const double hz = channel == 0 ? 441.0 : 882.0;
        return static_cast<int>(16000 * std::sin(2 * std::numbers::pi * hz * frame / kFileRate));
    };
    Form103& f = LoadCounted(2, 16, kFileRate, kFileRate * 2, tone);
    f.SelIniMs = 300;
    f.SelEndMs = 1100;
    f.Command1.Press();
    ASSERT_TRUE(WaitForRest(f));
    const Capture c = engine->Finish();
    constexpr float kAudible = 0.02f;
    const auto onset = c.Onset(kAudible);
    ASSERT_TRUE(onset.has_value());
    EXPECT_NEAR((c.End(kAudible) - *onset) * 1000.0 / rate, 800.0, 3.0);
    std::vector<float> right;
    for (std::size_t i = *onset + 200; i < *onset + 200 + rate / 2; ++i) {
        right.push_back(c.Right(i));
    }
    EXPECT_NEAR(ZeroCrossingFrequency(c.LeftChannel(*onset + 200, rate / 2), rate), 441.0, 3.0);
    EXPECT_NEAR(ZeroCrossingFrequency(right, rate), 882.0, 5.0);
}

TEST_F(ViewPlayback, PauseTwiceResumesWhereItPausedWithPlayDisabled) {
    Form103& f = LoadCounted(1, 16, rate, rate, NoiseSample);
    f.SelIniMs = 100;
    f.SelEndMs = 900;
    f.Command1.Press();
    ASSERT_TRUE(engine->PumpDeviceFrames(static_cast<std::size_t>(rate / 4)));
    f.Command2.Press();
    EXPECT_TRUE(f.MMControl1.IsPaused());
    EXPECT_FALSE(f.Command1.Enabled());
    const std::int32_t at = f.MMControl1.Position();
    ASSERT_TRUE(engine->PumpDeviceFrames(static_cast<std::size_t>(rate * 3 / 10)));
    EXPECT_EQ(f.MMControl1.Position(), at);
    f.Command2.Press();
    EXPECT_TRUE(f.MMControl1.IsPlaying());
    EXPECT_FALSE(f.Command1.Enabled()) << "Play stays disabled throughout";
    EXPECT_FALSE(f.Command4.Enabled());
    ASSERT_TRUE(WaitForRest(f));
    EXPECT_EQ(completions, 1);
    const Capture c = engine->Finish();
    // Every frame of the range is heard once, in order; the pause is a stretch of silence.
    const std::vector<float> heard = Sounded(c);
    const std::size_t first = FrameAt(100, rate);
    const std::size_t count = FrameAt(900, rate) - first;
    ASSERT_EQ(heard.size(), count);
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < count; ++i) {
        mismatches += heard[i] != Heard(static_cast<int>(first + i));
    }
    EXPECT_EQ(mismatches, 0u);
    std::size_t longestGap = 0, gap = 0;
    const auto onset = c.Onset();
    ASSERT_TRUE(onset.has_value());
    for (std::size_t fr = *onset; fr < c.End(); ++fr) {
        gap = c.Left(fr) == 0.0f ? gap + 1 : 0;
        longestGap = std::max(longestGap, gap);
    }
    EXPECT_GT(longestGap, static_cast<std::size_t>(rate / 5)) << "the pause was heard";
}

TEST_F(ViewPlayback, CyclicPlayRepeatsTheStretchUntilStop) {
    Form103& f = LoadCounted(1, 16, rate, rate * 2, NoiseSample);
    f.SelIniMs = 500;
    f.SelEndMs = 800;
    f.Command4.Press();
    ASSERT_TRUE(PumpUntil([&] { return completions == 3; }, 4000));
    PumpFor(100);
    f.Command3.Press();
    ASSERT_TRUE(WaitForRest(f));
    PumpFor(400);
    EXPECT_EQ(completions, 4);
    const Capture c = engine->Finish();
    // The range over and over from its first frame; the last pass cut short by "Stop".
    const std::vector<float> heard = Sounded(c);
    const std::size_t first = FrameAt(500, rate);
    const std::size_t count = FrameAt(800, rate) - first;
    EXPECT_GT(heard.size(), 3 * count);
    EXPECT_LT(heard.size(), 4 * count);
    std::size_t mismatches = 0;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        mismatches += heard[i] != Heard(static_cast<int>(first + i % count));
    }
    EXPECT_EQ(mismatches, 0u);
}
