// The waveform drawing, checked on the pixels of the graphs.
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "tests/waveview/test_shell.h"
#include "ui/colours.h"
#include "view_fixture.h"
#include "waveview/renderer_rules.h"
#include "waveview/waveform_view.h"

#include "base/file_channel.h"

#include <gtest/gtest.h>

namespace {

constexpr double kWidth = 9980;     // client width of the graph, twips
constexpr double kMonoYmid = 1210;  // half the mono client height (2420)
constexpr double kStereoYmid = 590; // half the stereo client height (1180)
constexpr int kSpike = 20000;       // a sample that stands far above the zero line

class Renderer : public StandaloneView {
  protected:
    void Load(const Bytes& wave) {
        const std::string path = dir.File("w.wav");
        WriteFile(path, wave);
        LoadPath(path);
        ASSERT_TRUE(view->FileLoaded);
    }

    // True when the column at twip x has the sample colour well above the zero line.
    bool SpikeAt(PictureBox& p, double x, double ymid) {
        return p.PixelAt(x, ymid - 600) == ToQColor(p.ForeColor());
    }
};

} // namespace

TEST(RendererRules, SampleHeights) {
    EXPECT_EQ(SampleY16(1210, 0, 1.0f / 17), 1210);
    EXPECT_EQ(SampleY16(1210, 32767, 1.0f / 17), 1210 - 1927);
    EXPECT_EQ(SampleY16(1210, -32768, 1.0f / 17), 1210 + 1928);
    EXPECT_EQ(Base8(1210, 15), 3130);
    EXPECT_EQ(SampleY8(Base8(1210, 15), 128, 15), 1210);
    EXPECT_EQ(SampleY8(Base8(590, 7), 0, 7), 1486);
    // The largest amplification the buttons reach stays inside 16 bits.
    EXPECT_NO_THROW(SampleY8(Base8(1210, 240), 0, 240));
    EXPECT_NO_THROW(SampleY16(1210, -32768, 16.0f / 17));
    EXPECT_EQ(DecimatedFrame(5000, 132300.0 / kWidth), 66282);
}

TEST_F(Renderer, SilenceLiesOnTheZeroLineBetweenTheGuideLines) {
    Load(MakeWave(1, 16, 8000, 100000, [](int, int) { return 0; }));
    PictureBox& p = view->Picture2;
    const QColor fore = ToQColor(p.ForeColor());
    const QColor back = ToQColor(p.BackColor());
    const double guide = 2420.0 * 3 / 8;
    for (double x : {15.0, 3000.0, 9900.0}) {
        EXPECT_EQ(p.PixelAt(x, kMonoYmid), fore) << x;
        EXPECT_EQ(p.PixelAt(x, kMonoYmid - 300), back) << x;
        EXPECT_EQ(p.PixelAt(x, kMonoYmid - guide), ToQColor(kSysButtonFace)) << x;
        EXPECT_EQ(p.PixelAt(x, kMonoYmid + guide), ToQColor(kSysButtonFace)) << x;
        // The inverse copy carries the same drawing in its own colours.
        EXPECT_EQ(view->Picture4.PixelAt(x, kMonoYmid), ToQColor(view->Picture4.ForeColor()));
        EXPECT_EQ(view->Picture4.PixelAt(x, kMonoYmid - 300), ToQColor(view->Picture4.BackColor()));
    }
}

TEST_F(Renderer, EightBitSilenceIsFlatWithinATwip) {
    Load(MakeWave(1, 8, 8000, 5000, [](int, int) { return 128; }));
    EXPECT_EQ(view->Picture2.PixelAt(4000, kMonoYmid), ToQColor(view->Picture2.ForeColor()));
    EXPECT_EQ(view->Picture2.PixelAt(4000, kMonoYmid - 45), ToQColor(view->Picture2.BackColor()));
}

TEST_F(Renderer, ManyFramesAreDecimatedToTheFirstFrameOfEachTwip) {
    const int frames = 132300;
    const int drawn = DecimatedFrame(5000, static_cast<double>(frames) / kWidth);
    // A spike on the frame drawn at x 5000 shows; one on its neighbour does not.
    Load(MakeWave(1, 16, 22050, frames, [&](int f, int) { return f == drawn ? kSpike : 0; }));
    EXPECT_TRUE(SpikeAt(view->Picture2, 5000, kMonoYmid));
    EXPECT_TRUE(SpikeAt(view->Picture4, 5000, kMonoYmid));
    Load(MakeWave(1, 16, 22050, frames, [&](int f, int) { return f == drawn + 1 ? kSpike : 0; }));
    for (double x = 0; x < kWidth; x += 15) {
        ASSERT_FALSE(SpikeAt(view->Picture2, x, kMonoYmid)) << x;
    }
}

TEST_F(Renderer, AtMostOneFramePerTwipDrawsEveryFrame) {
    // Exactly SW frames: frame i lands at x = i.
    Load(MakeWave(1, 16, 8000, 9980, [](int f, int) { return f == 6000 ? kSpike : 0; }));
    EXPECT_TRUE(SpikeAt(view->Picture2, 6000, kMonoYmid));
    // 100 frames: frame i at Int(i * SW / 100), the last one just short of the right edge.
    // Lines join frames 100 twips apart, so look near the spike's tip.
    Load(MakeWave(1, 16, 8000, 100, [](int f, int) { return f == 99 ? kSpike : 0; }));
    const double nearTip = kMonoYmid - kSpike / 17.0 + 60;
    const QColor fore = ToQColor(view->Picture2.ForeColor());
    EXPECT_EQ(view->Picture2.PixelAt(9880, nearTip), fore);
    EXPECT_NE(view->Picture2.PixelAt(9800, nearTip), fore);
    // SW + 1 frames are decimated: frame 6000 sits at x 5999.
    Load(MakeWave(1, 16, 8000, 9981, [](int f, int) { return f == 6000 ? kSpike : 0; }));
    EXPECT_FALSE(SpikeAt(view->Picture2, 6000 + 30, kMonoYmid));
}

TEST_F(Renderer, StereoDrawsEachChannelOnItsGraph) {
    Load(MakeWave(2, 16, 8000, 2000, [](int f, int c) {
        return (c == 0 && f == 500) || (c == 1 && f == 1500) ? kSpike : 0;
    }));
    const double xLeft = 500 * kWidth / 2000, xRight = 1500 * kWidth / 2000;
    EXPECT_TRUE(view->Picture2.PixelAt(xLeft, kStereoYmid - 300) ==
                ToQColor(view->Picture2.ForeColor()));
    EXPECT_FALSE(view->Picture2.PixelAt(xRight, kStereoYmid - 300) ==
                 ToQColor(view->Picture2.ForeColor()));
    EXPECT_TRUE(view->Picture5.PixelAt(xRight, kStereoYmid - 300) ==
                ToQColor(view->Picture5.ForeColor()));
    EXPECT_TRUE(view->Picture7.PixelAt(xRight, kStereoYmid - 300) ==
                ToQColor(view->Picture7.ForeColor()));
    EXPECT_FALSE(view->Picture5.PixelAt(xLeft, kStereoYmid - 300) ==
                 ToQColor(view->Picture5.ForeColor()));
}

TEST_F(Renderer, OneFrameDrawsTheLinesAndOnePoint) {
    Load(MakeWave(1, 16, 8000, 1, [](int, int) { return 10000; }));
    const double y = kMonoYmid - 10000.0 / 17;
    EXPECT_EQ(view->Picture2.PixelAt(0, y), ToQColor(view->Picture2.ForeColor()));
    EXPECT_EQ(view->Picture2.PixelAt(30, y), ToQColor(view->Picture2.BackColor()));
    EXPECT_EQ(view->Picture2.PixelAt(5000, kMonoYmid), ToQColor(view->Picture2.ForeColor()));
}

TEST_F(Renderer, PointsStyleSetsSinglePoints) {
    view->Option4.SetValue(true);
    Load(MakeWave(1, 16, 8000, 100, [](int f, int) { return f % 2 ? 6000 : -6000; }));
    // Between two points nothing joins them.
    const double x1 = 50 * kWidth / 100;

    EXPECT_EQ(view->Picture2.PixelAt(x1, kMonoYmid + 6000.0 / 17),
              ToQColor(view->Picture2.ForeColor()));
    EXPECT_EQ(view->Picture2.PixelAt(x1 + 45, kMonoYmid - 150),
              ToQColor(view->Picture2.BackColor()));
}

TEST_F(Renderer, EveryDrawingEndsWithOneBeep) {
    Load(MakeWave(1, 16, 8000, 100, [](int, int) { return 0; }));
    EXPECT_EQ(TestServices().beep.count, 1);
    channel1.Open(shell.dialog.FileName(), FileChannel::Mode::BinaryRead);
    view->GrafWave8BM(45, 50);
    channel1.Close();
    EXPECT_EQ(TestServices().beep.count, 2);
}

TEST_F(Renderer, AStretchPastTheEndOfTheFileReadsZeros) {
    // Loud frames up to the end of the file: everything drawn past it lies on the zero line.
    Load(MakeWave(1, 16, 8000, 100, [](int, int) { return kSpike; }));
    view->Picture2.Cls();
    channel1.Open(shell.dialog.FileName(), FileChannel::Mode::BinaryRead);
    EXPECT_NO_THROW(view->GrafWave8BM(45 + 2 * 90, 20000)); // 10 frames, then 19990 past the end
    channel1.Close();
    const QColor fore = ToQColor(view->Picture2.ForeColor());
    EXPECT_EQ(view->Picture2.PixelAt(0, kMonoYmid - kSpike / 17.0), fore) << "the file's frames";
    for (double x = 600; x < kWidth; x += 150) {
        ASSERT_EQ(view->Picture2.PixelAt(x, kMonoYmid), fore) << x;
        ASSERT_NE(view->Picture2.PixelAt(x, kMonoYmid - 300), fore) << x;
    }
}
