// Copying the spectrum: the picture on show (with its mark) as image/png and the table as
// text/plain, before and after an analysis.
#include "spectrum_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <cmath>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Copied {
    QImage picture;
    std::vector<std::string> header;
    std::size_t rows = 0;
};

Copied ReadClipboard() {
    Copied c;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    c.picture = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    for (const QString& line : data->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('#'))) {
            c.header.push_back(line.toStdString());
        } else {
            ++c.rows;
        }
    }
    return c;
}

// Pixels of a picture drawn at the screen's pixel ratio (1 here, 2 with QT_SCALE_FACTOR=2).
double PixelsPerTwip() {
    return qGuiApp->devicePixelRatio() / 15;
}
int Px(double twips) {
    return static_cast<int>(twips * PixelsPerTwip());
}

// The share of pixels in the rows from y0 to y1 (twips) that two pictures have alike.
double Alike(const QImage& a, const QImage& b, double y0, double y1) {
    int same = 0, all = 0;
    for (int py = Px(y0); py < Px(y1); ++py) {
        for (int px = 0; px < a.width(); ++px, ++all) {
            same += a.pixel(px, py) == b.pixel(px, py) ? 1 : 0;
        }
    }
    return all ? static_cast<double>(same) / all : 0.0;
}

QColor PixelAt(const QImage& img, double x, double y) {
    return img.pixelColor(Px(x), Px(y));
}

} // namespace

TEST_F(SpectrumViewTest, CopyPutsThePictureOnShowAndTheTable) {
    view->CopySpectrum();
    Copied empty = ReadClipboard();
    EXPECT_EQ(empty.picture.size(), view->Picture2.Image().size());
    EXPECT_GT(
        Alike(empty.picture, view->Picture2.Image().convertToFormat(QImage::Format_RGB32), 0, 2500),
        0.95);
    EXPECT_EQ(empty.header.front(), "# Tonvexa spectrum");
    EXPECT_EQ(empty.rows, 0u);

    std::vector<double> y(4097, 0.0);
    for (int j = 0; j < 4096; ++j) {
        y[static_cast<std::size_t>(j) + 1] = 8000 * std::cos(2 * kPi * 41 * j / 4096);
    }
    view->DescribeBlock({"/data/tone.wav", "Left", 1, 2});
    view->FftWave(y, 4096, 44100);
    view->Command2_Click(); // "Mark peak": the first press shows no box
    view->Picture2_MouseDown(1, 0, 15160, 1300);
    view->CopySpectrum();

    const Copied c = ReadClipboard();
    const QImage drawn = view->Picture2.Image().convertToFormat(QImage::Format_RGB32);
    const QImage picture = c.picture.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), drawn.size());
    // The drawing as it is on show, spectrum peak included (bin 41 at x 15908 reaches y 360)...
    EXPECT_GT(Alike(picture, drawn, 0, 2500), 0.95);
    EXPECT_EQ(PixelAt(picture, 15908, 1860), Rgb24(0x0000FF)) << "baseline";
    int peak = 0; // light blue line pixels about the top of the spectrum area
    for (int px = Px(15800); px < Px(16000); ++px) {
        for (int py = Px(330); py < Px(420); ++py) {
            peak += picture.pixelColor(px, py) == Rgb24(0xFFFF80) ? 1 : 0;
        }
    }
    EXPECT_GT(peak, 0);
    // ...with the controls on it: the mark's red arrow (left 14920, top 400) and the keys.
    EXPECT_EQ(PixelAt(picture, 15160, 640), QColor(255, 32, 32));
    EXPECT_NE(PixelAt(drawn, 15160, 640), QColor(255, 32, 32));
    EXPECT_LT(Alike(picture, drawn, 2520, 3400), 0.5);

    EXPECT_EQ(c.rows, 2048u);
    const std::vector<std::string> header = {
        "# Tonvexa spectrum",
        "# File\t/data/tone.wav",
        "# Channel\tLeft",
        "# Selection start (s)\t1",
        "# Selection end (s)\t2",
        "# Points\t4096",
        "# Sample rate (Hz)\t44100",
        "# Window\tRectangular",
        "# Zero padding\t1",
        "# Bin width (Hz)\t10.7666015625",
        "# Marked peak (Hz)\t331.537\tE\t4",
        "# Refined peak (Hz)",
        "# Refined peak (cents)",
        "# Bin\tFrequency (Hz)\tMagnitude\tNote\tOctave",
    };
    // The refined peak is whatever maximum lies nearest the mark (here a ripple of the
    // transform's rounding, far from the tone): only its lines are checked.
    ASSERT_EQ(c.header.size(), header.size());
    for (std::size_t i = 0; i < header.size(); ++i) {
        EXPECT_EQ(c.header[i].substr(0, header[i].size()), header[i]);
    }
}
