// The spectrum view's layout, its load, and the pixels of its drawing.
#include "spectrum_fixture.h"

#include "spectrum/spectrum_graph.h"
#include "ui/colours.h"

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kBack = Rgb24(0x404000);
const QColor kRed = Rgb24(0x0000FF);
const QColor kWhite = Rgb24(0xFFFFFF);
const QColor kYellow = Rgb24(0x00FFFF);
const QColor kLightBlue = Rgb24(0xFFFF80);
const QColor kGreen = Rgb24(0x80FF80);

// 4096 samples at 44100 Hz: bin 41 (441.43 Hz) at full height, bin 20 at half.
std::vector<double> TwoTones() {
    std::vector<double> y(4097, 0.0);
    for (int j = 0; j < 4096; ++j) {
        y[static_cast<std::size_t>(j) + 1] =
            8000 * std::cos(2 * kPi * 41 * j / 4096) + 4000 * std::cos(2 * kPi * 20 * j / 4096);
    }
    return y;
}

// The number of pixels of a colour in the picture rows from y0 to y1 (twips, y1 excluded).
int Count(PictureBox& p, const QColor& c, double y0, double y1) {
    const QImage& img = p.Image();
    int n = 0;
    for (int py = static_cast<int>(y0 / 15); py < static_cast<int>(y1 / 15); ++py) {
        for (int px = 0; px < img.width(); ++px) {
            n += img.pixelColor(px, py) == c ? 1 : 0;
        }
    }
    return n;
}

} // namespace

// What the layout must give the user: the clipping frame shows the picture through its client,
// the scroll bar reaches both ends of the 29500-twip picture and moves it, the keyboard lies on
// the pitch scale (A4 under 440 Hz), and the readout reads left to right without overlaps.
TEST_F(SpectrumViewTest, TheLayoutShowsThePictureScrollsItAndReadsLeftToRight) {
    EXPECT_EQ(view->Picture2.ScaleHeight(), 3480) << "a bordered 3540-twip picture";
    EXPECT_LE(view->Picture1.Width(), 11920) << "the frame fits the 11920-twip window";
    EXPECT_LE(view->HScroll1.Top() + view->HScroll1.Height(), view->Picture1.Height());

    for (const int value : {view->HScroll1.Min(), 9600, view->HScroll1.Max()}) {
        view->HScroll1.SetValue(value);
        EXPECT_EQ(view->Picture2.Left(), -value);
    }
    // At the right end the picture's last twips are in view, at the left end its first.
    EXPECT_GE(view->HScroll1.Max() + view->Picture1.Width(), view->Picture2.Width() - 60);
    EXPECT_LE(view->HScroll1.Min(), 0);

    // The keyboard's key A4 (MIDI 69) is centred under 440 Hz on the pitch scale.
    const double keyA4 = view->Image1.Left() + view->Image1.Width() * (69 + 0.5) / 128.5;
    EXPECT_NEAR(keyA4, PitchX(440), 150.0 / 2);

    const Label* readout[] = {&view->Label2, &view->Label5, &view->Label3, &view->Label4,
                              &view->Label7, &view->Label6, &view->Label8};
    for (std::size_t i = 1; i < std::size(readout); ++i) {
        EXPECT_LE(readout[i - 1]->Left() + (i == 1 ? 0 : readout[i - 1]->Width()),
                  readout[i]->Left() + 1)
            << "readout label " << i;
    }
    EXPECT_LE(view->Command1.Left() + view->Command1.Width(), view->Command2.Left() + 15);
    EXPECT_EQ(view->Line1.Y2(), 3480) << "the cursor spans the picture";
    EXPECT_EQ(view->Line1.BorderColor(), 0x00FF00u);
    EXPECT_EQ(view->Line2[16]->BorderColor(), 0x00FFFFu);
    EXPECT_EQ(view->Caption(), "");
}

TEST_F(SpectrumViewTest, LoadLeavesTheStartState) {
    EXPECT_EQ(view->ColLine, "16777088");
    EXPECT_TRUE(view->FirstRun);
    EXPECT_EQ(view->NPontGraf, 0);
    EXPECT_FALSE(view->MarkPeak());
    EXPECT_EQ(view->HScroll1.Value(), 9600);
    EXPECT_EQ(view->HScroll1.Min(), -60);
    EXPECT_EQ(view->HScroll1.Max(), 17700);
    EXPECT_EQ(view->HScroll1.SmallChange(), 90);
    EXPECT_EQ(view->HScroll1.LargeChange(), 600);
    EXPECT_EQ(view->Command1.Caption(), "Harmonics on");
    EXPECT_EQ(view->Command2.Caption(), "Mark peak");
    EXPECT_EQ(view->Label1.Caption(), "Musical Analysis");
    EXPECT_EQ(view->Label1.ForeColor(), 0x0000FFu);
    EXPECT_EQ(view->Label1.BackColor(), 0x404000u);
    EXPECT_EQ(view->Label5.Caption(), "Hz");
    EXPECT_EQ(view->Picture2.BackColor(), 0x404000u);
    EXPECT_EQ(view->Picture2.ForeColor(), kSysHighlightText);
    EXPECT_FALSE(view->Image2.Visible());
    for (const Label* l : {&view->Label6, &view->Label7, &view->Label8}) {
        EXPECT_FALSE(l->Visible());
    }
    for (const auto& line : view->Line2) {
        EXPECT_FALSE(line->Visible());
    }
    const struct {
        const Label& label;
        Colour colour;
    } holders[] = {{view->Label13, 16744703},
                   {view->Label14, 16777088},
                   {view->Label15, 65535},
                   {view->Label16, 8454016}};
    for (const auto& h : holders) {
        EXPECT_EQ(h.label.BackColor(), h.colour);
        EXPECT_FALSE(h.label.Visible());
    }
    EXPECT_EQ(view->Image1.Picture().width(), 1200);
    EXPECT_EQ(view->Image1.Picture().height(), 65);
    EXPECT_NEAR(view->HarmOffset(1), 1800, 1e-9);
}

TEST_F(SpectrumViewTest, ScaleAloneAtLoad) {
    const QColor fore = ToQColor(kSysHighlightText);
    EXPECT_EQ(view->BaseY(), 1860);
    EXPECT_EQ(view->TopY(), 360);
    EXPECT_TRUE(Near(20000, 1860, kRed));            // baseline
    EXPECT_TRUE(Near(20000, 2060, fore));            // axis
    EXPECT_TRUE(Near(TickX(100), 2200, fore));       // long tick at 100 Hz
    EXPECT_EQ(At(15750, 2520), kYellow);             // semitone grid
    EXPECT_EQ(At(15825, 2520), kBack);               // between grid lines
    EXPECT_EQ(At(15900, 2400), fore);                // 440 Hz line above the grid
    EXPECT_EQ(Count(view->Picture2, kBack, 0, 1845), // nothing above the baseline
              view->Picture2.Image().width() * (1845 / 15));
    // The labels' text, drawn smooth: pixels that are neither background nor grid.
    const int rows = (2445 - 2265) / 15;
    const int text = view->Picture2.Image().width() * rows -
                     Count(view->Picture2, kBack, 2265, 2445) -
                     Count(view->Picture2, kYellow, 2265, 2445);
    EXPECT_GT(text, 200);
}

TEST_F(SpectrumViewTest, LargestBinReachesTheTopInTheLineColour) {
    auto y = TwoTones();
    view->FftWave(y, 4096, 44100);
    EXPECT_EQ(view->NPontGraf, 2048);
    EXPECT_EQ(view->FreqGraf(), 44100);
    EXPECT_NEAR(view->Arrays().MagMax, 8000 * 2048, 4);
    EXPECT_NEAR(y[83], 8000 * 2048, 4); // transformed in place

    const double x41 = BinX(41, 2048, 44100);
    const double x20 = BinX(20, 2048, 44100);
    EXPECT_TRUE(Near(x41, 360, kLightBlue));
    EXPECT_TRUE(Near(x20, 1110, kLightBlue)); // half height
    EXPECT_EQ(At(x41, 330), kBack);           // nothing above the top
    EXPECT_EQ(Count(view->Picture2, kLightBlue, 0, 345), 0);
    EXPECT_TRUE(Near(BinX(100, 2048, 44100), 1860, kLightBlue)); // empty bins on the baseline

    view->ColLine = "8454016";
    view->Grafmesmo(view->NPontGraf, false);
    EXPECT_TRUE(Near(x41, 360, kGreen));
    EXPECT_EQ(Count(view->Picture2, kLightBlue, 0, 3480), 0);
}

TEST_F(SpectrumViewTest, PointsStyleIsWhiteWhateverTheLineColour) {
    shell.lineStyle = false;
    auto y = TwoTones();
    view->FftWave(y, 4096, 44100);
    EXPECT_TRUE(Near(BinX(41, 2048, 44100), 360, kWhite));
    EXPECT_EQ(Count(view->Picture2, kLightBlue, 0, 3480), 0);
    EXPECT_EQ(Count(view->Picture2, kWhite, 345, 1800), 2); // the two tones, nothing between
}

TEST_F(SpectrumViewTest, SilentBlockDrawsEveryBinOnTheBaseline) {
    std::vector<double> y(4097, 0.0);
    view->FftWave(y, 4096, 44100);
    EXPECT_EQ(view->Arrays().MagMax, 0);
    EXPECT_EQ(view->NPontGraf, 2048);
    EXPECT_TRUE(Near(20000, 1860, kLightBlue)); // the flat spectrum over the red baseline
    EXPECT_EQ(Count(view->Picture2, kLightBlue, 0, 1845), 0);

    // A constant block: bin 0 alone carries energy, the scale is the same as for silence.
    std::vector<double> c(4097, 1000.0);
    view->FftWave(c, 4096, 44100);
    EXPECT_EQ(view->Arrays().MagMax, 0);
    EXPECT_EQ(Count(view->Picture2, kLightBlue, 0, 1845), 0);
    EXPECT_TRUE(Near(20000, 1860, kLightBlue));
}

TEST_F(SpectrumViewTest, RedrawBeforeAnyAnalysisShowsTheScaleAlone) {
    const QImage atLoad = view->Picture2.Image().copy();
    view->Grafmesmo(view->NPontGraf, false);
    EXPECT_EQ(view->Picture2.Image(), atLoad);
    shell.lineStyle = false;
    view->Grafmesmo(view->NPontGraf, false);
    EXPECT_EQ(view->Picture2.Image(), atLoad);
}

TEST_F(SpectrumViewTest, BlocksTheTransformCannotTakeAreLeftAlone) {
    std::vector<double> odd(49, 1.0);
    view->FftWave(odd, 48, 44100); // not a power of two
    std::vector<double> shortBlock(100, 1.0);
    view->FftWave(shortBlock, 128, 44100); // fewer samples than announced
    std::vector<double> tiny(3, 1.0);
    view->FftWave(tiny, 2, 44100);
    EXPECT_EQ(view->NPontGraf, 0);
    EXPECT_EQ(odd[1], 1.0);
    EXPECT_EQ(shortBlock[1], 1.0);
}

TEST_F(SpectrumViewTest, ScrollingAndHoveringNeverRedraw) {
    auto y = TwoTones();
    view->FftWave(y, 4096, 44100);
    const QImage drawn = view->Picture2.Image().copy();
    view->HScroll1.SetValue(1000);
    EXPECT_EQ(view->Picture2.Left(), -1000);
    view->Picture2_MouseMove(0, 0, 15160, 1000);
    view->Picture2_MouseMove(2, 0, 15900, 700);
    view->Image1_MouseMove(0, 0, 8625, 300);
    view->HScroll1.SetValue(9600);
    EXPECT_EQ(view->Picture2.Left(), -9600);
    EXPECT_EQ(view->Picture2.Image(), drawn);
}
