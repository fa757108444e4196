// File > "New test tone...": the dialog says every bad value and writes nothing then; Cancel
// writes nothing; a write that fails keeps the dialog open with the reason; the bin buttons
// and the file a good tone gives.
#include "tests/support/fixtures.h"

#include "dialogs/test_tone_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

namespace {

std::size_t FilesIn(const std::string& folder) {
    std::size_t n = 0;
    if (std::filesystem::exists(folder)) {
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) {
            ++n;
        }
    }
    return n;
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, b.data() + at, sizeof v);
    return v;
}

} // namespace

TEST(TestToneWindow, BadValuesAreSaidInTheDialogAndWriteNothing) {
    TempDir dir;
    const std::string folder = dir.File("Tonvexa");
    const struct {
        const char* what;
        std::function<void(TestToneDialog&)> type;
        const char* message;
    } rows[] = {
        {"no number", [](TestToneDialog& d) { d.Fundamental().setText("A4"); },
         "The fundamental must be a frequency in Hz, for example 440."},
        {"zero", [](TestToneDialog& d) { d.Fundamental().setText("0"); },
         "The fundamental must be above 0 Hz."},
        {"at Nyquist",
         [](TestToneDialog& d) {
             d.Rate().setCurrentIndex(0); // 22050 Hz
             d.Fundamental().setText("11025");
         },
         "The fundamental must be below 11025 Hz, half the sample rate."},
        {"levels",
         [](TestToneDialog& d) {
             d.Waveform().setCurrentIndex(static_cast<int>(ToneWaveform::HarmonicLevels));
             d.Levels().setText("0 -6 loud");
         },
         "The harmonic levels must be numbers of dB from -120 to 0, separated by blanks, for "
         "example 0 -6 -12."},
        {"second tone above Nyquist",
         [](TestToneDialog& d) {
             d.SecondTone().setChecked(true);
             d.SecondHz().setText("30000");
         },
         "The second tone's frequency must be below 22050 Hz, half the sample rate."},
        {"noise level",
         [](TestToneDialog& d) {
             d.Noise().setChecked(true);
             d.NoiseLevel().setText("6");
         },
         "The noise level must be a number of dB from -120 to 0."},
        {"too short", [](TestToneDialog& d) { d.Seconds().setText("0.05"); },
         "The duration must be from 0.1 to 60 seconds."},
        {"too long", [](TestToneDialog& d) { d.Seconds().setText("61"); },
         "The duration must be from 0.1 to 60 seconds."},
        {"no duration", [](TestToneDialog& d) { d.Seconds().setText(""); },
         "The duration must be a number of seconds, for example 2."},
    };
    for (const auto& r : rows) {
        TestToneDialog dialog(folder, 4096);
        dialog.show();
        r.type(dialog);
        dialog.WriteButton().click();
        EXPECT_EQ(dialog.Message(), r.message) << r.what;
        EXPECT_TRUE(dialog.isVisible()) << r.what;
        EXPECT_TRUE(dialog.WrittenPath().empty()) << r.what;
        EXPECT_EQ(FilesIn(folder), 0u) << r.what;
    }
    // A bin button with a bad fundamental says so and moves nothing.
    TestToneDialog dialog(folder, 4096);
    dialog.Fundamental().setText("-3");
    dialog.OntoBin_Click();
    EXPECT_EQ(dialog.Message(), "The fundamental must be above 0 Hz.");
    EXPECT_EQ(dialog.Fundamental().text().toStdString(), "-3");
}

TEST(TestToneWindow, CancelWritesNothingAndAFailedWriteKeepsTheDialogOpen) {
    TempDir dir;
    {
        TestToneDialog dialog(dir.File("Tonvexa"), 4096);
        dialog.show();
        dialog.CancelButton().click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(dialog.WrittenPath().empty());
        EXPECT_FALSE(std::filesystem::exists(dir.File("Tonvexa")));
    }
    // The folder cannot be made where a file lies.
    WriteFile(dir.File("music"), {'x'});
    const std::string folder = dir.File("music") + "/Tonvexa";
    TestToneDialog dialog(folder, 4096);
    dialog.show();
    dialog.WriteButton().click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.WrittenPath().empty());
    EXPECT_EQ(dialog.Message(), "Cannot write the test tone: the folder " + folder +
                                    " cannot be made: Not a directory");
}

TEST(TestToneWindow, TheBinButtonsPlaceTheFundamentalAndAGoodToneIsWritten) {
    const struct {
        std::int32_t given;
        std::int32_t used;
    } sizes[] = {{4096, 4096}, {32768, 32768}, {0, 4096}, {1000, 4096}};
    for (const auto& s : sizes) {
        EXPECT_EQ(TestToneDialog(".", s.given).BinPoints(), s.used) << s.given;
    }

    TempDir dir;
    const std::string folder = dir.File("Tonvexa");
    TestToneDialog dialog(folder, 4096);
    dialog.show();
    // 440 Hz at 44100 Hz: bins 10.77 Hz apart.
    dialog.Halfway_Click();
    EXPECT_EQ(dialog.Fundamental().text().toStdString(), "436.04736328125"); // 40.5 bins
    EXPECT_EQ(dialog.Message(),
              "Halfway between bins 40 and 41 of a 4096-point transform at 44100 Hz.");
    dialog.Fundamental().setText("440");
    dialog.OntoBin_Click();
    EXPECT_EQ(dialog.Fundamental().text().toStdString(), "441.4306640625"); // 41 bins
    EXPECT_EQ(dialog.Message(), "On bin 41 of a 4096-point transform at 44100 Hz.");
    dialog.Rate().setCurrentIndex(2); // 48000 Hz
    dialog.OntoBin_Click();
    EXPECT_EQ(dialog.Fundamental().text().toStdString(), "445.3125"); // 38 bins of 11.72 Hz

    dialog.Seconds().setText("0.5");
    dialog.WriteButton().click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const std::filesystem::path written = dialog.WrittenPath();
    EXPECT_EQ(written.parent_path(), folder);
    EXPECT_EQ(written.filename().string().rfind("Test tone 445.313 Hz ", 0), 0u) << written;
    const Bytes wave = ReadFile(written);
    ASSERT_EQ(wave.size(), 44u + 2u * 24000u);
    EXPECT_EQ(U32(wave, 24), 48000u) << "sample rate";
    EXPECT_EQ(U32(wave, 20), 0x00010001u) << "PCM, mono";
    EXPECT_EQ(U32(wave, 32) >> 16, 16u) << "16 bits";
    EXPECT_EQ(FilesIn(folder), 1u) << "nothing half-written beside it";
}
