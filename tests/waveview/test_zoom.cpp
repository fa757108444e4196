#include "selection_fixture.h"

#include "base/file_channel.h"
#include "ui/colours.h"
#include "ui/services.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 8000;
constexpr int kFrames = 16000;
constexpr int kSpikeFrame = 2050;

// Silence with one tall spike, to find where a frame is drawn.
int Spike(int frame, int) {
    return frame == kSpikeFrame ? 16000 : 0;
}

// A beep that notes the window's pointer at the end of every drawing.
class PointerAtBeep : public BeepService {
  public:
    void Beep() override { seen.push_back(view->Pointer()); }
    std::vector<MousePointer> seen;
    const Form103* view = nullptr;
};

// Installs a beep double for one test and puts the recording one back after it.
class BeepScope {
  public:
    explicit BeepScope(BeepService& beep) : previous_(TestServices().services.beep) {
        TestServices().services.beep = &beep;
    }
    ~BeepScope() { TestServices().services.beep = previous_; }

  private:
    BeepService* previous_;
};

// A selection of `points` frames from `first`, as the mouse leaves it.
void SetSelection(Form103& f, int first, int points, int rate) {
    f.SelIniMs = num::CLng(first * 1000.0 / rate);
    f.SelEndMs = num::CLng((first + points - 1) * 1000.0 / rate);
    Writable(f.SelIniTime()).SetCaption(num::DoubleText(f.SelIniMs / 1000.0));
    Writable(f.SelEndTime()).SetCaption(num::DoubleText(f.SelEndMs / 1000.0));
    Writable(f.SelTime()).SetCaption(num::DoubleText((f.SelEndMs - f.SelIniMs) / 1000.0));
    Writable(f.SelIniPoint()).SetCaption(num::IntText(first));
    Writable(f.SelEndPoint()).SetCaption(num::IntText(first + points - 1));
    Writable(f.SelPoints()).SetCaption(num::IntText(points));
    f.PonTransf();
}

struct View {
    std::string iniMs, secs, points, iniPoint;
    bool operator==(const View&) const = default;
};

View ReadView(Form103& f) {
    return {f.ViewIniMs().Caption(), f.ViewSecs().Caption(), f.ViewPoints().Caption(),
            f.ViewIniPoint().Caption()};
}

std::vector<std::string> ReadTable(Form103& f) {
    std::vector<std::string> t;
    for (int i = 1; i <= 6; ++i) {
        t.push_back(f.Label16[i].Caption());
    }
    t.push_back(f.FftPoints().Caption());
    return t;
}

// The graph x (twips) of the highest sample drawn in the graph's colour.
double HighestSampleX(PictureBox& graph) {
    const QImage img = graph.Image().convertToFormat(QImage::Format_RGB32);
    const QRgb fore = ToQColor(graph.ForeColor()).rgb();
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (img.pixel(x, y) == fore) {
                return PxToTwips(x);
            }
        }
    }
    return -1;
}

} // namespace

class Zoom : public ViewTest {};

TEST_F(Zoom, ZoomShowsTheSelectedFramesAndOneMore) {
    Form103& f = Load(1, 16, kRate, kFrames, Spike);
    SetSelection(f, 2000, 100, kRate);
    const auto table = ReadTable(f);
    PointerAtBeep beep;
    beep.view = &f;
    BeepScope scope(beep);

    f.Command6_Click();
    EXPECT_EQ(ReadView(f), (View{"250", "0.012625", "101", "2000"}));
    EXPECT_EQ(ReadTable(f), table);
    EXPECT_FALSE(f.Picture3.Visible());
    EXPECT_FALSE(f.Picture6.Visible());
    EXPECT_EQ(beep.seen, std::vector<MousePointer>{MousePointer::Hourglass});
    EXPECT_EQ(f.Pointer(), MousePointer::Default);
    // Frame 2050 is the 51st of 101: drawn at Int(50 * 9980 / 101) = 4940 twips.
    EXPECT_NEAR(HighestSampleX(f.Picture2), 4940, 15);
    EXPECT_NEAR(HighestSampleX(f.Picture4), 4940, 15);
}

TEST_F(Zoom, ZoomNeedsAFileIdlePlaybackAndASelection) {
    Form103& f = ViewWindow(); // no file
    f.Command6_Click();
    EXPECT_TRUE(TestServices().messages.shown.empty());
    EXPECT_EQ(TestServices().beep.count, 0);

    Load(1, 16, kRate, kFrames);
    const View whole = ReadView(f);
    const int beeps = TestServices().beep.count;
    f.Command6_Click();
    ASSERT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_EQ(TestServices().messages.shown[0].text,
              "You have to select a part of the graph before");
    EXPECT_EQ(TestServices().messages.shown[0].title, AppTitle());
    EXPECT_EQ(ReadView(f), whole);

    SetSelection(f, 2000, 100, kRate);
    f.PlayIdle = false;
    f.Command6_Click();
    EXPECT_EQ(ReadView(f), whole);
    EXPECT_EQ(TestServices().beep.count, beeps);
    EXPECT_EQ(TestServices().messages.shown.size(), 1u);
}

TEST_F(Zoom, ASelectionToTheLastFrameZoomsOneFramePastTheData) {
    Form103& f = Load(2, 16, kRate, kFrames);
    Press(f, 5000);
    Drag(f, f.Picture2.ScaleWidth());
    ASSERT_EQ(f.SelEndPoint().Caption(), num::IntText(kFrames - 1));
    const std::int32_t points = Whole(f.SelPoints());
    const int beeps = TestServices().beep.count;
    f.Command6_Click();
    EXPECT_EQ(TestServices().beep.count, beeps + 1);
    EXPECT_EQ(f.ViewPoints().Caption(), num::IntText(points + 1));
    EXPECT_EQ(f.ViewIniPoint().Caption(), f.SelIniPoint().Caption());
    // The zoomed view selects like any other: its right end is one frame past the data.
    Press(f, 0);
    EXPECT_EQ(f.SelIniPoint().Caption(), f.ViewIniPoint().Caption());
    EXPECT_EQ(f.SelEndPoint().Caption(), num::IntText(kFrames));
}

TEST_F(Zoom, NormalReturnsToTheWholeFileSelectedWhole) {
    Form103& f = Load(1, 16, kRate, kFrames);
    const View whole = ReadView(f);
    const int beeps = TestServices().beep.count;
    f.Command7_Click(); // nothing selected yet: nothing happens
    EXPECT_EQ(TestServices().beep.count, beeps);
    EXPECT_EQ(f.SelIniPoint().Caption(), "");

    SetSelection(f, 2000, 100, kRate);
    f.Command6_Click();
    ASSERT_NE(ReadView(f), whole);
    f.PlayMode = 1;
    f.Command7_Click();
    EXPECT_EQ(ReadView(f), whole);
    EXPECT_EQ(f.SelIniPoint().Caption(), "0");
    EXPECT_EQ(f.SelEndPoint().Caption(), num::IntText(kFrames - 1));
    EXPECT_EQ(f.SelPoints().Caption(), num::IntText(kFrames));
    EXPECT_EQ(f.FftPoints().Caption(), "8192");
    EXPECT_EQ(f.SelIniMs, 0);
    EXPECT_EQ(f.SelEndMs, 2000);
    EXPECT_EQ(f.SelTime().Caption(), "2");
    EXPECT_EQ(f.PlayMode, 0);
    EXPECT_TRUE(f.FileLoaded);
    EXPECT_FALSE(f.Picture3.Visible());
    EXPECT_EQ(TestServices().beep.count, beeps + 2);
}

TEST_F(Zoom, CancelMakesTheStretchOnShowTheSelection) {
    Form103& f = Load(1, 16, kRate, kFrames);
    f.SelEndMs = 5;
    f.Command8_Click(); // right after the load: only the play range changes
    EXPECT_EQ(f.SelIniMs, 0);
    EXPECT_EQ(f.SelEndMs, 2000);
    EXPECT_EQ(f.SelIniTime().Caption(), "");
    EXPECT_EQ(f.FftPoints().Caption(), "");

    // A zoomed view of 500 frames from frame 40, 62.5 ms long from 5 ms.
    Select(f, 1000, 3000);
    Writable(f.ViewIniMs()).SetCaption("5");
    Writable(f.ViewSecs()).SetCaption("0.0625");
    Writable(f.ViewPoints()).SetCaption("500");
    Writable(f.ViewIniPoint()).SetCaption("40");
    f.Command8_Click();
    EXPECT_FALSE(f.Picture3.Visible());
    EXPECT_FALSE(f.Picture6.Visible());
    EXPECT_EQ(f.SelIniMs, 5);
    EXPECT_EQ(f.SelEndMs, 68); // 67.5 rounds to even
    EXPECT_EQ(ReadTable(f),
              (std::vector<std::string>{"0.005", "0.068", "0.063", "40", "539", "500", "256"}));

    f.PlayIdle = false; // while playing nothing changes
    Writable(f.ViewIniPoint()).SetCaption("0");
    f.Command8_Click();
    EXPECT_EQ(f.SelIniPoint().Caption(), "40");
}

TEST_F(Zoom, AmplificationDoublesFourTimesFromItsStart) {
    Form103& f = Load(1, 8, kRate, kFrames, [](int, int) { return 128; });
    const int beeps = TestServices().beep.count;
    for (int i = 0; i < 6; ++i) {
        f.Command11_Click();
    }
    EXPECT_FLOAT_EQ(f.Amp8Mono, 240);
    EXPECT_FLOAT_EQ(f.Amp16Mono, 16.0f / 17);
    EXPECT_FLOAT_EQ(f.Amp8Stereo, 112);
    EXPECT_FLOAT_EQ(f.Amp16Stereo, 16.0f / 35);
    EXPECT_EQ(TestServices().beep.count, beeps + 4);

    Load(1, 8, kRate, kFrames, [](int, int) { return 128; }); // a load resets the factors
    ASSERT_FLOAT_EQ(f.Amp8Mono, 15);
    f.Command12_Click();
    int doublings = 0;
    for (int i = 0; i < 8; ++i) {
        const float before = f.Amp8Mono;
        f.Command11_Click();
        doublings += f.Amp8Mono != before;
    }
    EXPECT_EQ(doublings, 5);
    EXPECT_FLOAT_EQ(f.Amp8Mono, 240);

    f.PlayIdle = false;
    f.Command12_Click();
    EXPECT_FLOAT_EQ(f.Amp8Mono, 240);
}

TEST_F(Zoom, AmplificationRedrawsUnderTheSelectionWindow) {
    Form103& f = Load(2, 16, 44100, 30000, Wave);
    f.Show();
    Select(f, 1500, 6000);
    const QImage before = f.Picture2.Image().copy();
    f.Command11_Click();
    EXPECT_NE(f.Picture2.Image(), before); // taller samples
    EXPECT_TRUE(f.Picture3.Visible());
    EXPECT_DOUBLE_EQ(f.Picture3.Left(), 1500);
    EXPECT_DOUBLE_EQ(f.Picture3.Width(), 4500);
    QApplication::processEvents();
    ExpectHighlight(f.Picture2, f.Picture4, TwipsToPx(1500), TwipsToPx(6000));
    ExpectHighlight(f.Picture5, f.Picture7, TwipsToPx(1500), TwipsToPx(6000));
}

TEST_F(Zoom, AmplificationKeepsAZoomedStretch) {
    Form103& f = Load(1, 16, kRate, kFrames, Spike);
    SetSelection(f, 2000, 100, kRate);
    f.Command6_Click();
    f.Command12_Click();
    EXPECT_EQ(f.ViewPoints().Caption(), "101");
    EXPECT_NEAR(HighestSampleX(f.Picture2), 4940, 15);
}

TEST_F(Zoom, AStyleChangeZoomsIntoTheSelection) {
    Form103& f = Load(1, 16, kRate, kFrames, Spike);
    const View whole = ReadView(f);
    int beeps = TestServices().beep.count;
    f.Option4.SetValue(true); // "Points" with nothing selected: the whole file again
    EXPECT_EQ(TestServices().beep.count, ++beeps);
    EXPECT_EQ(ReadView(f), whole);

    Select(f, 100, 200); // the window is shown: the style change hides it
    SetSelection(f, 2000, 100, kRate);
    const auto table = ReadTable(f);
    f.Option3.SetValue(true);
    EXPECT_EQ(TestServices().beep.count, ++beeps);
    EXPECT_EQ(ReadView(f), (View{"250", "0.012625", "101", "2000"}));
    EXPECT_FALSE(f.Picture3.Visible());
    EXPECT_EQ(ReadTable(f), table);
    EXPECT_NEAR(HighestSampleX(f.Picture2), 4940, 15);

    // After "Cancel" the selection is the stretch on show; each style change adds a frame
    // to what is shown but never moves, since the selection does not change.
    f.Command8_Click();
    f.Option4.SetValue(true);
    EXPECT_EQ(ReadView(f).points, "102");
    f.Option3.SetValue(true);
    EXPECT_EQ(ReadView(f).points, "102");
    EXPECT_EQ(ReadView(f).iniPoint, "2000");

    f.PlayIdle = false; // while playing: the option changes, nothing is drawn
    beeps = TestServices().beep.count;
    f.Option4.SetValue(true);
    EXPECT_TRUE(f.Option4.Value());
    EXPECT_EQ(TestServices().beep.count, beeps);
}

TEST_F(Zoom, EveryRedrawRunsUnderTheHourglassAndButtonsAreWired) {
    Form103& f = Load(1, 16, kRate, kFrames);
    Select(f, 1000, 5000);
    PointerAtBeep beep;
    beep.view = &f;
    BeepScope scope(beep);
    f.Command11.Press();
    f.Command12.Press();
    f.Command6.Press();
    f.Command7.Press();
    f.Option4.SetValue(true);
    EXPECT_EQ(beep.seen, std::vector<MousePointer>(5, MousePointer::Hourglass));
    EXPECT_EQ(f.Pointer(), MousePointer::Default);
}

TEST_F(Zoom, TheFocusGoesBackToTheGraph) {
    Form103& f = Load(1, 16, kRate, kFrames);
    f.Show();
    QApplication::setActiveWindow(f.Widget());
    QApplication::processEvents();
    Select(f, 1000, 5000);
    for (CommandButton* b : {&f.Command6, &f.Command7, &f.Command8, &f.Command11}) {
        b->SetFocus();
        ASSERT_TRUE(b->HasFocus());
        b->Press();
        // The graph's drawing surface takes the focus (its border frame never does).
        EXPECT_TRUE(f.Picture2.Client()->hasFocus()) << b->Caption();
    }
}

TEST_F(Zoom, AVanishedFileEndsTheRedrawQuietly) {
    Form103& f = Load(1, 16, kRate, kFrames);
    std::remove(shell.dialog.FileName().c_str());
    f.Command11.Press();
    EXPECT_EQ(f.Pointer(), MousePointer::Default);
    EXPECT_FALSE(channel1.IsOpen());
}
