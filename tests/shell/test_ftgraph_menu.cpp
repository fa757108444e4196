// The FTGraph menu and the "FFT" hand-off into the real spectrum view: check marks, ColLine,
// and what the spectrum picture shows after each choice.
#include "main_window_fixture.h"
#include "shell/main_window.h"
#include "spectrum/spectrum_graph.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "waveview/waveform_view.h"

#include "base/file_channel.h"
#include "base/numbers.h"

#include <QAction>
#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 8000;
constexpr int kPeakBin = 28; // cycles across the 512 analysed frames: 437.5 Hz
constexpr int kBins = 256;   // N of a 512-point transform

// Colours as the spectrum picture shows them (&H00BBGGRR values).
const QColor kBlue(0x80, 0xFF, 0xFF);
const QColor kGreen(0x80, 0xFF, 0x80);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kPink(0xFF, 0x80, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);

class FtGraphMenu : public MainWindowTest {
  protected:
    // Loads a 437.5 Hz tone, selects 1000 frames and presses "FFT".
    void AnalyseTone() {
        const std::string path = dir.File("tone.wav");
        WriteFile(path, MakeWave(1, 16, kRate, 4000, [](int fr, int) {
                      return static_cast<int>(
                          std::lround(12000 * std::sin(2 * M_PI * kPeakBin * fr / 512.0)));
                  }));
        Frame().CommonDialog1().SetFileName(path);
        Form103& view = Wave();
        view.LerFileDad_3();
        ASSERT_TRUE(view.FileLoaded);
        Writable(view.SelIniPoint()).SetCaption("1000");
        Writable(view.SelPoints()).SetCaption("1000");
        view.PonTransf();
        view.Command5.Press();
        ASSERT_EQ(Spectrum().NPontGraf, kBins);
    }

    bool Checked(const char* item) { return Frame().Item(item)->isChecked(); }

    // How many pixels of the spectrum picture have the colour c.
    int Count(const QColor& c) {
        const QImage& img = Spectrum().Picture2.Image();
        int n = 0;
        for (int y = 0; y < img.height(); ++y) {
            for (int x = 0; x < img.width(); ++x) {
                n += img.pixelColor(x, y) == c;
            }
        }
        return n;
    }

    // The colour at the top of the peak, where the largest magnitude is drawn.
    QColor AtPeak() {
        Form101& s = Spectrum();
        return s.Picture2.PixelAt(BinX(kPeakBin, kBins, kRate), s.TopY());
    }

    TempDir dir;
};

} // namespace

TEST_F(FtGraphMenu, FftHandsTheSelectionToTheSpectrumView) {
    AnalyseTone();
    Form101& s = Spectrum();
    EXPECT_EQ(s.FreqGraf(), kRate);
    const auto& mag = s.Arrays().MagFt;
    int loudest = 1;
    for (int k = 1; k < kBins; ++k) {
        if (mag[static_cast<std::size_t>(k) + 1] > mag[static_cast<std::size_t>(loudest) + 1]) {
            loudest = k;
        }
    }
    EXPECT_EQ(loudest, kPeakBin);
    // A whole number of cycles: the peak is the amplitude times M/2 (within rounding).
    EXPECT_NEAR(mag[kPeakBin + 1], 12000.0 * 256, 12000.0 * 256 * 1e-4);
    EXPECT_EQ(AtPeak(), kBlue) << "drawn as a light blue line at start";
    EXPECT_EQ(Wave().Pointer(), MousePointer::Default);
}

TEST_F(FtGraphMenu, StyleItemsExcludeEachOtherAndRedrawUnderTheHourglass) {
    AnalyseTone();
    MDIForm1& main = Frame();

    TestServices().Reset();
    main.Item("mnuPoints")->trigger();
    EXPECT_TRUE(Checked("mnuPoints"));
    EXPECT_FALSE(Checked("mnuLine"));
    EXPECT_FALSE(main.LineStyleChecked());
    EXPECT_EQ(AtPeak(), kWhite) << "points are white";
    EXPECT_EQ(Count(kBlue), 0) << "ColLine is not used by the points";
    EXPECT_EQ(TestServices().screen.history,
              (std::vector{MousePointer::Hourglass, MousePointer::Default}));
    EXPECT_EQ(Spectrum().NPontGraf, kBins);

    // Triggering the checked item (which unchecks it on the way) leaves it checked.
    main.Item("mnuPoints")->trigger();
    EXPECT_TRUE(Checked("mnuPoints"));
    EXPECT_FALSE(Checked("mnuLine"));

    main.Item("mnuLine")->trigger();
    EXPECT_TRUE(Checked("mnuLine"));
    EXPECT_FALSE(Checked("mnuPoints"));
    EXPECT_EQ(AtPeak(), kBlue);
    EXPECT_TRUE(Checked("mnuBlue")) << "the colour is untouched by the style";
}

TEST_F(FtGraphMenu, ColoursSetColLineFromTheHolderLabels) {
    AnalyseTone();
    struct Case {
        const char* item;
        const char* colLine;
        QColor shown;
    };
    const Case cases[] = {
        {"mnuYellow", "65535", kYellow},
        {"mnuPink", "16744703", kPink},
        {"mnuGreen", "8454016", kGreen},
        {"mnuBlue", "16777088", kBlue},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        Frame().Item(c.item)->trigger();
        EXPECT_EQ(Spectrum().ColLine, c.colLine);
        for (const Case& other : cases) {
            EXPECT_EQ(Checked(other.item), &other == &c) << other.item;
        }
        EXPECT_EQ(AtPeak(), c.shown);
    }
}

TEST_F(FtGraphMenu, PointsThenGreenLeavesAGreenLine) {
    AnalyseTone();
    MDIForm1& main = Frame();
    main.mnuPoints_Click();
    ASSERT_EQ(AtPeak(), kWhite);
    const int whiteAsPoints = Count(kWhite);

    TestServices().Reset();
    main.mnuGreen_Click();
    EXPECT_TRUE(Checked("mnuLine"));
    EXPECT_FALSE(Checked("mnuPoints"));
    EXPECT_TRUE(Checked("mnuGreen"));
    EXPECT_FALSE(Checked("mnuBlue"));
    EXPECT_EQ(Spectrum().ColLine, "8454016");
    EXPECT_EQ(AtPeak(), kGreen);
    EXPECT_GT(Count(kGreen), kBins) << "a line joins every bin";
    EXPECT_LT(Count(kWhite), whiteAsPoints) << "the white points are gone";
    EXPECT_EQ(TestServices().screen.history,
              (std::vector{MousePointer::Hourglass, MousePointer::Default}));
}

TEST_F(FtGraphMenu, TheCheckedColourAgainRedrawsUnchanged) {
    AnalyseTone();
    MDIForm1& main = Frame();
    main.mnuGreen_Click();
    Form101& s = Spectrum();
    const QImage before = s.Picture2.Image().copy();
    // A mark on the picture that only a redraw (which clears it first) takes away.
    const double markX = 100, markY = 100;
    s.Picture2.PSet(markX, markY, 0x0000FF);
    ASSERT_EQ(s.Picture2.PixelAt(markX, markY), QColor(0xFF, 0, 0));

    main.Item("mnuGreen")->trigger();
    EXPECT_TRUE(Checked("mnuGreen"));
    EXPECT_EQ(s.ColLine, "8454016");
    EXPECT_EQ(s.Picture2.Image(), before);
}

TEST_F(FtGraphMenu, BeforeAnyAnalysisOnlyTheScaleIsRedrawn) {
    Form101& s = Spectrum();
    ASSERT_EQ(s.NPontGraf, 0);
    const QImage scaleOnly = s.Picture2.Image().copy();
    Frame().mnuPink_Click();
    EXPECT_EQ(s.ColLine, "16744703");
    EXPECT_TRUE(Checked("mnuPink"));
    EXPECT_EQ(s.NPontGraf, 0);
    EXPECT_EQ(s.Picture2.Image(), scaleOnly);
    Frame().mnuPoints_Click();
    EXPECT_EQ(s.Picture2.Image(), scaleOnly);
}
