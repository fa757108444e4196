// "Compare FFT": how long the marked note sounds, the message without a mark, and the order of
// what the comparison sends to the spectrum view after the selection has played.
#include "playback_fixture.h"
#include "waveview/compare_rules.h"

#include "ui/services.h"

TEST(CompareNote, LastsTheSelectionWithinItsBounds) {
    const struct {
        const char* selTime;
        std::int32_t ms;
    } cases[] = {
        {"0.8", 800},     {"2", 1500},  {"0.01", 1500},   {"", 1000},      {"1.5", 1500},
        {"1.5001", 1500}, {"0.05", 50}, {"0.0499", 1500}, {"0.2405", 240}, {"0.2415", 242},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareNoteMs(c.selTime), c.ms) << '"' << c.selTime << '"';
    }
    EXPECT_THROW(CompareNoteMs("abc"), num::NumberError);
}

using Compare = PlaybackTest;

TEST_F(Compare, WithoutAMarkItSaysSoAndStaysAvailable) {
    Form103& f = LoadCounted(1, 16, 8000, 8000);
    f.Command9_Click();
    ASSERT_EQ(TestServices().messages.shown.size(), 1u);
    const ShownMessage& m = TestServices().messages.shown[0];
    EXPECT_EQ(m.title, "Please mark a peak!");
    EXPECT_EQ(m.text, "Cannot compare without a marked peak.\r\nPlease mark a peak on the "
                      "Fourier\r\nTransform graph.");
    EXPECT_EQ(m.icon, MsgIcon::Information);
    EXPECT_TRUE(f.Command9.Enabled());
    EXPECT_FALSE(f.CompareArmed);
    EXPECT_TRUE(f.PlayIdle);
}

TEST_F(Compare, TheButtonIsDisabledWhileTheBoxIsOpen) {
    Form103& f = LoadCounted(1, 16, 8000, 8000);
    bool enabledMeanwhile = true;
    TestServices().messages.onShow = [&](const ShownMessage&) {
        enabledMeanwhile = f.Command9.Enabled();
    };
    f.Command9_Click();
    TestServices().messages.onShow = nullptr;
    EXPECT_FALSE(enabledMeanwhile);
}

TEST_F(Compare, PlaysTheSelectionThenTheMarkedNoteForItsDuration) {
    Form103& f = LoadCounted(1, 16, 8000, 16000); // 2 s
    Select(f, 1000, 5000);                        // about 0.8 s
    const std::int32_t want = CompareNoteMs(f.SelTime().Caption());
    ASSERT_GT(want, 700);
    ASSERT_LT(want, 900);
    spectrumDouble.markPeak = true;
    spectrumDouble.xMark = 15160;
    f.Command9_Click();
    EXPECT_TRUE(f.CompareArmed);
    EXPECT_FALSE(f.PlayIdle);
    EXPECT_FALSE(f.Command9.Enabled());
    EXPECT_TRUE(spectrumDouble.requests.empty()); // nothing sounds before the selection ends

    ASSERT_TRUE(WaitForRest(f));
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(f.CompareArmed);
    // The note at the mark is named, then its key sounded.
    ASSERT_EQ(spectrumDouble.requests.size(), 2u);
    EXPECT_EQ(spectrumDouble.requests[0].what, "name");
    EXPECT_FLOAT_EQ(spectrumDouble.requests[0].x, 15160);
    EXPECT_EQ(spectrumDouble.requests[1].what, "sound");
    EXPECT_EQ(f.Timer1.Interval(), want);
    EXPECT_TRUE(f.Timer1.Enabled());

    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return f.Command9.Enabled(); }, 3000));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    // A coarse timer may fire up to 5 % early; a busy machine only delays it.
    EXPECT_GE(ms, want * 95 / 100 - 10);
    EXPECT_LT(ms, want + 500);
    ASSERT_EQ(spectrumDouble.requests.size(), 3u);
    EXPECT_EQ(spectrumDouble.requests[2].what, "stop");
    EXPECT_FALSE(f.Timer1.Enabled());
}

TEST_F(Compare, WithAMarkButNoFileItWaitsForALaterPlay) {
    Form103& f = ViewWindow();
    spectrumDouble.markPeak = true;
    f.Command9_Click();
    EXPECT_TRUE(f.CompareArmed);
    EXPECT_FALSE(f.Command9.Enabled());
    EXPECT_TRUE(TestServices().messages.shown.empty());
    EXPECT_TRUE(spectrumDouble.requests.empty());
}

TEST_F(Compare, TheNoteTimerTicksOnceAfterLoad) {
    Form103& f = LoadCounted(1, 16, 8000, 800);
    EXPECT_TRUE(f.Timer1.Enabled());
    EXPECT_EQ(f.Timer1.Interval(), 1500);
    ASSERT_TRUE(PumpUntil([&] { return !f.Timer1.Enabled(); }, 3000));
    ASSERT_EQ(spectrumDouble.requests.size(), 1u);
    EXPECT_EQ(spectrumDouble.requests[0].what, "stop");
    EXPECT_TRUE(f.Command9.Enabled());
}
