// What the Analysis menu adds to the spectrum view: with the defaults everything is the
// described transform and drawing; a window or padding transforms the same samples again; the
// frozen reference; the resolution band on the cursor; the analysis on the status line.
#include "spectrum_fixture.h"

#include "spectrum/real_fft.h"
#include "spectrum/spectrum_graph.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kGrey = Rgb24(0xA0A0A0);

// n samples of a cosine of `cycles` cycles across them, amplitude 8000, and a weaker one
// halfway between bins floor(cycles / 2) and the next.
std::vector<double> Block(int n, double cycles) {
    std::vector<double> y(static_cast<std::size_t>(n) + 1, 0.0);
    for (int j = 0; j < n; ++j) {
        y[static_cast<std::size_t>(j) + 1] =
            8000 * std::cos(2 * kPi * cycles * j / n) +
            2000 * std::cos(2 * kPi * (std::floor(cycles / 2) + 0.5) * j / n);
    }
    return y;
}

// The table's rows (the lines that are not header lines).
std::vector<std::string> Rows(const std::string& table) {
    std::vector<std::string> rows;
    std::size_t start = 0;
    while (start < table.size()) {
        const std::size_t end = table.find('\n', start);
        const std::string line = table.substr(start, end - start);
        if (!line.starts_with('#')) {
            rows.push_back(line);
        }
        start = end == std::string::npos ? table.size() : end + 1;
    }
    return rows;
}

class SpectrumAnalysisTest : public SpectrumViewTest {
  protected:
    std::vector<std::string> TableRows() { return Rows(SpectrumTable(view->OnShow())); }
    QImage Drawn() { return view->Picture2.Image().copy(); }
    // Grey pixels between x0 and x1 and between y0 and y1 (twips).
    int GreyIn(double x0, double x1, double y0, double y1) {
        const QImage& img = view->Picture2.Image();
        int n = 0;
        for (int py = static_cast<int>(y0 / 15); py < static_cast<int>(y1 / 15); ++py) {
            for (int px = static_cast<int>(x0 / 15); px < static_cast<int>(x1 / 15); ++px) {
                n += img.pixelColor(px, py) == kGrey ? 1 : 0;
            }
        }
        return n;
    }
};

} // namespace

// The start of every run: the rectangular window, no padding, nothing frozen. The spectrum's
// arrays, picture and table rows are those of the described path (REALFT, the unpacking, every
// bin drawn from x 0 on the scale that takes the largest to the top), up to the largest block,
// and stay so after a tour through the menu's other choices and back.
TEST_F(SpectrumAnalysisTest, TheDefaultsAreTheDescribedTransformAndDrawing) {
    EXPECT_EQ(view->Analysis().window, AnalysisWindow::Rectangular);
    EXPECT_EQ(view->Analysis().padding, 1);
    const QColor lightBlue = Rgb24(0xFFFF80);
    for (const int points : {4096, 32768}) {
        for (const bool lineStyle : {true, false}) {
            const std::string what =
                std::to_string(points) + (lineStyle ? " points, line" : " points, points");
            shell.lineStyle = lineStyle;
            std::vector<double> y = Block(points, 41);
            std::vector<double> described = y;
            view->FftWave(y, points, 44100);
            const QImage picture = Drawn();
            const std::vector<std::string> rows = TableRows();

            // The described transform and unpacking...
            const std::int32_t n = points / 2;
            REALFT(described, n, 1);
            SpectrumArrays ft;
            UnpackSpectrum(described, n, ft);
            EXPECT_EQ(y, described) << what << ": the caller's block holds the packed spectrum";
            EXPECT_TRUE(std::equal(ft.MagFt.begin(), ft.MagFt.end(), view->Arrays().MagFt.begin()))
                << what;
            EXPECT_EQ(view->Arrays().MagMax, ft.MagMax) << what;
            // ...and drawing, over the scale alone (the spectrum never reaches the axis).
            view->Grafmesmo(n, true);
            const double scale = (1860.0 - 360.0) / ft.MagMax;
            const auto yOf = [&](int k) {
                return static_cast<float>(1860.0 -
                                          ft.MagFt[static_cast<std::size_t>(k) + 1] * scale);
            };
            view->Picture2.PSet(0, yOf(0), 0xFFFFFF);
            for (int k = 1; k < n; ++k) {
                const auto x = static_cast<float>(BinX(k, n, 44100));
                if (lineStyle) {
                    view->Picture2.LineTo(x, yOf(k), 0xFFFF80);
                } else {
                    view->Picture2.PSet(x, yOf(k), 0xFFFFFF);
                }
            }
            EXPECT_EQ(Drawn(), picture) << what;
            EXPECT_EQ(lineStyle, Near(BinX(41, n, 44100), 360, lightBlue)) << what;

            view->SetAnalysis({AnalysisWindow::FlatTop, 8});
            EXPECT_NE(Drawn(), picture) << what;
            view->FreezeSpectrum();
            view->SetAnalysis({AnalysisWindow::Hann, 2});
            view->SetAnalysis({});
            view->ClearFrozen();
            EXPECT_EQ(view->NPontGraf, n);
            EXPECT_EQ(Drawn(), picture) << what;
            EXPECT_EQ(TableRows(), rows) << what;
        }
    }
}

// Padding transforms the same samples again with (k-1) x 4096 zeros: k x 2048 bins, every one a
// row of the table, and the on-bin tone keeps its bin's frequency and height.
TEST_F(SpectrumAnalysisTest, PaddingTransformsTheSameSamplesIntoMoreBins) {
    std::vector<double> y = Block(4096, 41);
    view->FftWave(y, 4096, 44100);
    const double tone = 8000.0 * 2048; // A x N / 2 on its bin
    for (const std::int32_t k : kPaddingFactors) {
        view->SetAnalysis({AnalysisWindow::Hann, k});
        ASSERT_EQ(view->NPontGraf, 2048 * k) << k;
        EXPECT_EQ(view->BlockPoints(), 4096);
        const std::vector<std::string> rows = TableRows();
        ASSERT_EQ(rows.size(), static_cast<std::size_t>(2048 * k)) << k;
        const std::size_t toneBin = static_cast<std::size_t>(41 * k);
        EXPECT_EQ(rows[toneBin - 1].substr(0, rows[toneBin - 1].find('\t', 0)),
                  std::to_string(toneBin));
        EXPECT_NEAR(view->Arrays().MagFt[toneBin + 1], tone, 1e-6 * tone) << k;
        EXPECT_DOUBLE_EQ(view->Arrays().MagMax, view->Arrays().MagFt[toneBin + 1]) << k;
    }
}

TEST_F(SpectrumAnalysisTest, OneFrozenReferenceInGreyUntilCleared) {
    EXPECT_FALSE(view->FreezeSpectrum()) << "nothing on show yet";
    ASSERT_FALSE(shell.status.empty());
    EXPECT_EQ(shell.status.back(), "Nothing to freeze yet: transform a selection with FFT first.");

    // The last spectrum: a 1024-point block of the same amplitude, drawn alone.
    std::vector<double> last = Block(1024, 50);
    view->FftWave(last, 1024, 44100); // transformed in place: a fresh block each time below
    const QImage alone = Drawn();

    const double x41 = BinX(41, 2048, 44100);
    const double x100 = BinX(100, 2048, 44100);
    std::vector<double> a = Block(4096, 41);
    view->FftWave(a, 4096, 44100);
    ASSERT_TRUE(view->FreezeSpectrum());
    std::vector<double> b = Block(4096, 100);
    view->FftWave(b, 4096, 44100);
    EXPECT_TRUE(view->Frozen());
    // The reference keeps its place and its height: the same tone reaches the top.
    EXPECT_TRUE(Near(x41, 360, kGrey));
    EXPECT_EQ(GreyIn(x100 - 30, x100 + 30, 300, 1500), 0) << "the current tone is not grey";

    ASSERT_TRUE(view->FreezeSpectrum()); // replaces the first
    last = Block(1024, 50);
    view->FftWave(last, 1024, 44100);
    EXPECT_TRUE(Near(x100, 360, kGrey)) << "heights as amplitudes across block sizes";
    EXPECT_EQ(GreyIn(x41 - 30, x41 + 30, 300, 1500), 0) << "one reference only";
    EXPECT_NE(shell.status.back().find("; grey: Rectangular, 4096 points"), std::string::npos);
    EXPECT_EQ(TableRows().size(), 512u + 2048u) << "the frozen rows follow";

    view->ClearFrozen();
    EXPECT_FALSE(view->Frozen());
    EXPECT_EQ(Drawn(), alone);
    EXPECT_EQ(TableRows().size(), 512u);
    view->ClearFrozen(); // nothing to clear: nothing changes
    EXPECT_EQ(Drawn(), alone);
}

// The band on the cursor spans the -6 dB main-lobe width of the unpadded transform, in hertz,
// around the pointer's frequency: many semitones at A1, a fraction of one at A5.
TEST_F(SpectrumAnalysisTest, TheBandOnTheCursorIsAsWideAsTheResolution) {
    view->Picture2.MouseMove(0, 0, 15900, 1000); // the user's pointer, through the toolkit
    EXPECT_FALSE(view->Band1.Visible()) << "no resolution before any analysis";
    SetUp(); // a fresh view, which no pointer has crossed yet
    std::vector<double> y = Block(4096, 41);
    view->FftWave(y, 4096, 44100);
    view->Picture2_MouseMove(0, 0, 15900, 1000); // as the demonstration moves it
    EXPECT_FALSE(view->Band1.Visible()) << "the described picture until the user's pointer moves";
    const float a1 = static_cast<float>(PitchX(55));
    const float a5 = static_cast<float>(PitchX(880));
    const struct {
        AnalysisWindow window;
        std::int32_t padding;
        float x;
        double widestTwips, narrowestTwips;
    } cases[] = {
        {AnalysisWindow::Rectangular, 1, a1, 700, 500}, // 13 Hz at 55 Hz
        {AnalysisWindow::Rectangular, 8, a1, 700, 500}, // padding adds no resolution
        {AnalysisWindow::Rectangular, 1, a5, 45, 25},
        {AnalysisWindow::BlackmanHarris, 1, a1, 1500, 1300},
        {AnalysisWindow::BlackmanHarris, 4, a5, 90, 70},
    };
    for (const auto& c : cases) {
        view->SetAnalysis({c.window, c.padding});
        view->Picture2.MouseMove(0, 0, c.x, 1000);
        const BandControl& band = view->Band1;
        ASSERT_TRUE(band.Visible());
        const double hz = PitchFrequency(band.Left() + band.Width()) - PitchFrequency(band.Left());
        EXPECT_NEAR(hz, MainLobeWidth6dB(c.window) * 44100 / 4096, 1e-6) << c.x;
        EXPECT_LT(band.Left(), c.x);
        EXPECT_GT(band.Left() + band.Width(), c.x);
        EXPECT_LT(band.Width(), c.widestTwips) << c.x;
        EXPECT_GT(band.Width(), c.narrowestTwips) << c.x;
        EXPECT_EQ(view->Line1.X1(), c.x) << "the cursor itself is where it was";
    }
    view->Command1_Click(); // "Harmonics on": the comb hides the cursor and its band
    EXPECT_FALSE(view->Band1.Visible());
}

TEST_F(SpectrumAnalysisTest, TheStatusLineAndTheDescriptionNameTheAnalysis) {
    std::vector<double> y = Block(4096, 41);
    view->DescribeBlock({"/data/tone.wav", "Left", 1, 2});
    view->FftWave(y, 4096, 44100);
    EXPECT_EQ(shell.status.back(),
              "Rectangular window, 4096 points, no zero padding, bin width 10.77 Hz");
    view->SetAnalysis({AnalysisWindow::Hann, 4});
    view->Command2_Click(); // "Mark peak"
    // The weaker tone lies halfway between bins 20 and 21: 220.715 Hz, 5.6 cents above A3.
    view->Picture2_MouseDown(1, 0, static_cast<float>(PitchX(221)), 1300);
    const std::string expected =
        "Hann window, 4096 points, zero padding x 4 (bins drawn 2.69 Hz apart), bin width 10.77 "
        "Hz; refined peak 220.715 \u00B1 0.058 Hz, A3 +5.62 \u00B1 0.45 cents";
    EXPECT_EQ(shell.status.back(), expected);
    const std::string description = view->Picture2.Client()->accessibleDescription().toStdString();
    EXPECT_TRUE(description.ends_with("; " + expected)) << description;
    view->Command2_Click(); // "Erase mark": the refined peak goes with it
    EXPECT_EQ(shell.status.back(),
              "Hann window, 4096 points, zero padding x 4 (bins drawn 2.69 Hz apart), bin width "
              "10.77 Hz");
}
