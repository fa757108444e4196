// The keyboard bitmap (its generator against the committed file, and its keys against the
// semitone grid) and the peak mark's picture.
#include "spectrum/keyboard.h"
#include "spectrum/peak_mark.h"

#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// A folder named by the test environment; when the runner did not pass it, the build's own
// place for it beside the test program's folder (tools/, and app/ where assets are copied).
std::string Folder(const char* variable, const char* besideTests) {
    const char* v = std::getenv(variable);
    if (v && *v) {
        return v;
    }
    return (std::filesystem::canonical("/proc/self/exe").parent_path().parent_path() / besideTests)
        .string();
}

std::string Tools() {
    return Folder("TONVEXA_TOOLS", "tools");
}
std::string CommittedKeyboard() {
    return Folder("TONVEXA_ASSETS", "app") + "/keyboard.bmp";
}

bool IsBlackKey(int m) {
    const int s = m % 12;
    return s == 1 || s == 3 || s == 6 || s == 8 || s == 10;
}

// Bitmap pixels per keyboard twip when the picture is stretched over the keyboard's width.
constexpr double kPxPerTwip = kKeyboardBitmapWidth / kKeyboardWidth;

} // namespace

TEST(KeyboardArt, GeneratorWritesTheCommittedBitmap) {
    TempDir dir;
    const std::string out = dir.File("keyboard.bmp");
    const std::string command = Tools() + "/make_keyboard '" + out + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const Bytes made = ReadFile(out);
    const Bytes committed = ReadFile(CommittedKeyboard());
    ASSERT_EQ(made.size(), 79078u);
    EXPECT_TRUE(made == committed) << "assets/keyboard.bmp differs from its generator";
}

TEST(KeyboardArt, EightBitsPerPixelWithAPalette) {
    const Bytes b = ReadFile(CommittedKeyboard());
    ASSERT_GT(b.size(), 54u);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(b[28], 8); // bits per pixel
    const QImage img(QString::fromStdString(CommittedKeyboard()));
    EXPECT_EQ(img.width(), 1200);
    EXPECT_EQ(img.height(), 65);
    EXPECT_EQ(img.format(), QImage::Format_Indexed8);
    for (int x = 0; x < img.width(); ++x) {
        EXPECT_EQ(img.pixelColor(x, 64), QColor(0, 0, 0)) << "bottom row at " << x;
    }
}

TEST(KeyboardArt, KeysLieUnderTheirSemitonesOfThePitchScale) {
    const QImage img(QString::fromStdString(CommittedKeyboard()));
    ASSERT_FALSE(img.isNull());
    const int row = 20; // the upper part, where black and white alternate every semitone
    for (int m = 0; m <= 127; ++m) {
        const double centreTwips = KeyCentreX(m);
        EXPECT_DOUBLE_EQ(centreTwips, 15900 + 150.0 * (m - 69) - 5475);
        const int centre = static_cast<int>(centreTwips * kPxPerTwip);
        const QColor key = img.pixelColor(centre, row);
        const bool inRange = m >= 21 && m <= 108;
        const QColor expected = IsBlackKey(m)
                                    ? (inRange ? QColor(0, 0, 0) : QColor(128, 0, 0))
                                    : (inRange ? QColor(255, 255, 255) : QColor(192, 192, 192));
        EXPECT_EQ(key, expected) << "note " << m;
        // The run of the key's colour around its centre spans its semitone within a pixel.
        int left = centre;
        while (left > 0 && img.pixelColor(left - 1, row) == key) {
            --left;
        }
        int right = centre;
        while (right < img.width() - 1 && img.pixelColor(right + 1, row) == key) {
            ++right;
        }
        EXPECT_NEAR(left, (centreTwips - 75) * kPxPerTwip, 1.5) << "note " << m;
        if (m < 127) {
            EXPECT_NEAR(right + 1, (centreTwips + 75) * kPxPerTwip, 1.5) << "note " << m;
        } else {
            EXPECT_EQ(right, img.width() - 1); // the last key and half a key's width
        }
    }
}

TEST(KeyboardArt, LowerPartHoldsWideWhiteKeysWithNames) {
    const QImage img(QString::fromStdString(CommittedKeyboard()));
    // Middle C (note 60) is the 36th white key: a 16-pixel white key with black writing.
    const int x0 = 35 * 16;
    int writing = 0;
    for (int y = 44; y < 60; ++y) {
        for (int x = x0 + 1; x < x0 + 15; ++x) {
            writing += img.pixelColor(x, y) == QColor(0, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(writing, 15);
    // D next to it carries no name.
    int blank = 0;
    for (int y = 44; y < 60; ++y) {
        for (int x = x0 + 17; x < x0 + 31; ++x) {
            blank += img.pixelColor(x, y) == QColor(255, 255, 255) ? 1 : 0;
        }
    }
    EXPECT_EQ(blank, 16 * 14);
}

TEST(PeakMark, ArrowPointsDownToTheBottomCentre) {
    const QImage mark = PeakMarkImage();
    EXPECT_EQ(mark.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(mark.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(mark.pixel(31, 31)), 0);
    EXPECT_EQ(qAlpha(mark.pixel(0, 31)), 0);
    EXPECT_GT(qAlpha(mark.pixel(16, 30)), 0); // the tip
    EXPECT_GT(qAlpha(mark.pixel(16, 5)), 0);  // the shaft
    EXPECT_EQ(qAlpha(mark.pixel(6, 5)), 0);   // beside the shaft
    EXPECT_GT(qRed(mark.pixel(16, 20)), 200); // a red head
}
