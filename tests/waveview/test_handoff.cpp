// The "FFT" button: which bytes of the file reach the transform, and what it does instead
// when there is no file, playback runs or nothing is selected.
#include "selection_fixture.h"
#include "waveview/handoff_rules.h"

#include "base/file_channel.h"
#include "ui/services.h"

#include <QColor>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace {

// Records what the waveform view hands to the spectrum view, and the window's pointer then.
class RecordingSpectrum : public AnalysisPort {
  public:
    struct Call {
        std::vector<double> y;
        std::int32_t Npont;
        std::int32_t Freq;
        MousePointer pointer;
        bool channelOpen;
    };
    void DescribeBlock(const BlockSource&) override {}
    void Analyse(std::vector<double>& y, std::int32_t Npont, std::int32_t Freq) override {
        calls.push_back({y, Npont, Freq, (*view)->Pointer(), channel->IsOpen()});
    }
    void BlockUnread(const BlockSource&, const std::string&) override {}
    bool MarkedPeak() const override { return false; }
    float XMark() const override { return 0; }
    void NameNoteAt(float) override {}
    void SoundNamedNote() override {}
    void StopNote() override {}

    std::vector<Call> calls;
    const std::unique_ptr<Form103>* view = nullptr;
    const FileChannel* channel = nullptr;
};

// Sample values that tell frames and channels apart: 16-bit frames carry their own number,
// negated on the right; 8-bit frames their number modulo 256, mirrored on the right.
int Numbered16(int frame, int channel) {
    return channel ? -frame : frame;
}
int Numbered8(int frame, int channel) {
    return channel ? 255 - frame % 256 : frame % 256;
}

class Handoff : public ViewTest {
  protected:
    void SetUp() override {
        ViewTest::SetUp();
        analysis = &spectrum;
        spectrum.view = &view;
        spectrum.channel = &channel1;
    }

    // Sets a selection as the labels hold it: first frame and frame count.
    static void SelectFrames(Form103& f, int first, int count) {
        Writable(f.SelIniPoint()).SetCaption(num::IntText(first));
        Writable(f.SelEndPoint()).SetCaption(num::IntText(first + count - 1));
        Writable(f.SelPoints()).SetCaption(num::IntText(count));
        f.PonTransf();
    }

    // The one hand-off of a click; fails the test when there was none.
    const RecordingSpectrum::Call& OnlyCall() {
        EXPECT_EQ(spectrum.calls.size(), 1u);
        static const RecordingSpectrum::Call none{};
        return spectrum.calls.empty() ? none : spectrum.calls.front();
    }

    RecordingSpectrum spectrum;
};

} // namespace

TEST_F(Handoff, MonoSixteenBitReadsFromTheFirstSelectedFrame) {
    Form103& f = Load(1, 16, 8000, 4000, Numbered16);
    ASSERT_EQ(f.DataStart().Caption(), "45");
    ASSERT_EQ(f.BlockAlign().Caption(), "2");
    SelectFrames(f, 1000, 1000);
    ASSERT_EQ(f.FftPoints().Caption(), "512") << "a selection of 1000 frames analyses 512";

    f.Command5.Press();

    const auto& call = OnlyCall();
    EXPECT_EQ(call.Npont, 512);
    EXPECT_EQ(call.Freq, 8000);
    ASSERT_EQ(call.y.size(), 513u) << "elements 1 .. 512, element 0 unused";
    // File position 45 + 1000 * 2 = 2045 holds frame 1000.
    for (int i = 1; i <= 512; ++i) {
        ASSERT_EQ(call.y[static_cast<std::size_t>(i)], 999 + i) << "element " << i;
    }
    EXPECT_FALSE(call.channelOpen) << "the file is closed before the transform";
    EXPECT_EQ(call.pointer, MousePointer::Hourglass);
    EXPECT_EQ(f.Pointer(), MousePointer::Default);
    EXPECT_FALSE(channel1.IsOpen());
    EXPECT_TRUE(TestServices().messages.shown.empty());
}

TEST_F(Handoff, ChannelChoiceAndSampleFormat) {
    struct Case {
        const char* name;
        int channels, bits;
        bool left;
        std::function<int(int, int)> sample;
        std::function<double(int frame)> want;
    };
    const std::vector<Case> cases = {
        {"16-bit stereo Left", 2, 16, true, Numbered16, [](int fr) { return fr; }},
        {"16-bit stereo Right: the second value of each 4-byte frame", 2, 16, false, Numbered16,
         [](int fr) { return -fr; }},
        {"8-bit stereo Left: the first byte minus 128", 2, 8, true, Numbered8,
         [](int fr) { return fr % 256 - 128; }},
        {"8-bit stereo Right", 2, 8, false, Numbered8, [](int fr) { return 127 - fr % 256; }},
        {"8-bit mono", 1, 8, true, Numbered8, [](int fr) { return fr % 256 - 128; }},
        {"16-bit mono ignores the channel option", 1, 16, false, Numbered16,
         [](int fr) { return fr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        spectrum.calls.clear();
        Form103& f = Load(c.channels, c.bits, 11025, 3000, c.sample);
        if (c.channels == 2) {
            (c.left ? f.Option1 : f.Option2).SetValue(true);
        }
        SelectFrames(f, 700, 300); // 256 frames from frame 700
        f.Command5_Click();
        const auto& call = OnlyCall();
        ASSERT_EQ(call.Npont, 256);
        EXPECT_EQ(call.Freq, 11025);
        ASSERT_EQ(call.y.size(), 257u);
        for (int i = 1; i <= 256; ++i) {
            ASSERT_EQ(call.y[static_cast<std::size_t>(i)], c.want(699 + i)) << "element " << i;
        }
        view.reset();
    }
}

TEST_F(Handoff, ExtremeSampleValues) {
    // 0x8000 and 0x7FFF as 16-bit values; 0x00, 0x80 and 0xFF as bytes.
    Form103& f16 = Load(1, 16, 8000, 64, [](int fr, int) { return fr % 2 ? 32767 : -32768; });
    SelectFrames(f16, 0, 64);
    f16.Command5_Click();
    ASSERT_EQ(spectrum.calls.size(), 1u);
    EXPECT_EQ(spectrum.calls[0].y[1], -32768);
    EXPECT_EQ(spectrum.calls[0].y[2], 32767);
    view.reset();

    const int bytes[] = {0x00, 0x80, 0xFF};
    Form103& f8 = Load(1, 8, 8000, 64, [&](int fr, int) { return bytes[fr % 3]; });
    SelectFrames(f8, 0, 64);
    f8.Command5_Click();
    ASSERT_EQ(spectrum.calls.size(), 2u);
    EXPECT_EQ(spectrum.calls[1].y[1], -128);
    EXPECT_EQ(spectrum.calls[1].y[2], 0);
    EXPECT_EQ(spectrum.calls[1].y[3], 127);
}

TEST_F(Handoff, ReadsPastTheEndOfTheFileGiveZero) {
    // A selection of 10 frames still yields 32; the last 22 lie past the end of the file.
    Form103& f = Load(1, 16, 8000, 100, [](int fr, int) { return fr + 1; });
    SelectFrames(f, 90, 10);
    ASSERT_EQ(f.FftPoints().Caption(), "32");
    f.Command5_Click();
    const auto& call = OnlyCall();
    ASSERT_EQ(call.y.size(), 33u);
    for (int i = 1; i <= 32; ++i) {
        EXPECT_EQ(call.y[static_cast<std::size_t>(i)], i <= 10 ? 90 + i : 0) << "element " << i;
    }
}

TEST_F(Handoff, EachClickReadsTheFileAgain) {
    Form103& f = Load(1, 16, 8000, 2000, Numbered16);
    SelectFrames(f, 100, 64);
    f.Command5_Click();
    SelectFrames(f, 200, 64);
    f.Command5_Click();
    ASSERT_EQ(spectrum.calls.size(), 2u);
    EXPECT_EQ(spectrum.calls[0].y[1], 100);
    EXPECT_EQ(spectrum.calls[1].y[1], 200);
}

TEST_F(Handoff, NoSelectionAsksForOne) {
    Form103& f = Load(1, 16, 8000, 2000, Numbered16);
    ASSERT_TRUE(f.FftPoints().Caption().empty());
    f.Command5_Click();
    EXPECT_TRUE(spectrum.calls.empty());
    ASSERT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_EQ(TestServices().messages.shown[0].text,
              "You have to select a part of the graph before");
    EXPECT_EQ(TestServices().messages.shown[0].title, AppTitle());
    EXPECT_EQ(f.Pointer(), MousePointer::Default);
}

namespace {

// How many pixels of the top text line of the window's own surface differ from its background.
int InkOnTopLine(Form103& f) {
    const QImage& img = f.Surface().Image();
    const QColor back = f.Surface().PixelAt(f.Surface().ScaleWidth() - 15, 15);
    int ink = 0;
    const int lineHeight = img.height() / 20; // the top few pixel rows
    for (int y = 0; y < lineHeight; ++y) {
        for (int x = 0; x < img.width() / 4; ++x) {
            ink += img.pixelColor(x, y) != back;
        }
    }
    return ink;
}

} // namespace

TEST_F(Handoff, NoFileOrPlayingPrintsMmcOpen) {
    struct Case {
        const char* name;
        bool load;
        bool playIdle;
    };
    for (const Case& c : {Case{"no file", false, true}, Case{"playing", true, false}}) {
        SCOPED_TRACE(c.name);
        TestServices().Reset();
        Form103& f = c.load ? Load(1, 16, 8000, 2000, Numbered16) : ViewWindow();
        if (c.load) {
            SelectFrames(f, 0, 1000);
        }
        f.PlayIdle = c.playIdle;
        f.Surface().CurrentX = 0;
        f.Surface().CurrentY = 0;
        ASSERT_EQ(InkOnTopLine(f), 0);

        f.Command5_Click();

        EXPECT_TRUE(spectrum.calls.empty());
        EXPECT_TRUE(TestServices().messages.shown.empty());
        EXPECT_GT(InkOnTopLine(f), 0) << "the text printed at the window's text position";
        EXPECT_GT(f.Surface().CurrentY, 0) << "the text position moved to the next line";
        EXPECT_EQ(f.Surface().CurrentX, 0);
        EXPECT_EQ(f.Pointer(), MousePointer::Default);
        view.reset();
    }
}

TEST_F(Handoff, AFileGoneSinceTheLoadEndsQuietly) {
    Form103& f = Load(1, 16, 8000, 2000, Numbered16);
    SelectFrames(f, 0, 1000);
    std::remove(shell.dialog.FileName().c_str());
    f.Command5_Click();
    EXPECT_TRUE(spectrum.calls.empty());
    EXPECT_TRUE(TestServices().messages.shown.empty());
    EXPECT_FALSE(channel1.IsOpen());
    EXPECT_EQ(f.Pointer(), MousePointer::Default);
}

TEST_F(Handoff, AFirstFramePast2GiBIsReadThereNotWrappedAround) {
    // Its position (4 GB) does not fit 32 bits: the block is read from there, past the end of
    // this small file, as silence, and the transform runs.
    Form103& f = Load(1, 16, 8000, 2000, Numbered16);
    SelectFrames(f, 0, 1000);
    Writable(f.SelIniPoint()).SetCaption("2000000000");
    f.Command5_Click();
    ASSERT_EQ(spectrum.calls.size(), 1u);
    const std::vector<double>& y = spectrum.calls[0].y;
    EXPECT_EQ(std::count(y.begin() + 1, y.end(), 0.0), static_cast<std::ptrdiff_t>(y.size()) - 1);
    EXPECT_FALSE(channel1.IsOpen());
    EXPECT_EQ(f.Pointer(), MousePointer::Default);
}

TEST(ChannelLayout, FromTheViewTexts) {
    struct Case {
        double bits;
        const char* channels;
        bool left;
        ChannelLayout want;
    };
    const Case cases[] = {
        {16, "Stereo", true, {true, true, false}},  {16, "Stereo", false, {true, true, true}},
        {8, "Stereo", false, {false, true, true}},  {16, "Mono", false, {true, false, false}},
        {16, "Error", false, {true, false, false}}, {0, "Mono", true, {false, false, false}},
    };
    for (const Case& c : cases) {
        const ChannelLayout got = LayoutFor(c.bits, c.channels, c.left);
        EXPECT_EQ(got.sixteenBit, c.want.sixteenBit) << c.bits << " " << c.channels;
        EXPECT_EQ(got.stereo, c.want.stereo) << c.bits << " " << c.channels;
        EXPECT_EQ(got.right, c.want.right) << c.bits << " " << c.channels << " " << c.left;
    }
}
