// The Record window on real capture devices: SDL's disk driver as a microphone playing a
// known tone, and machines with no microphone at all.
#include "dialog_events.h"
#include "tests/support/disk_microphone.h"
#include "tests/support/fixtures.h"
#include "tests/support/pump.h"

#include "dialogs/record_dialog.h"

#include <QPushButton>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>

namespace {

struct CountingPort : RecordPort {
    int stops = 0;
    void StopAllSound() override { ++stops; }
};

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (std::filesystem::exists(folder)) {
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            names.push_back(e.path().filename().string());
        }
    }
    return names;
}

constexpr double kToneHz = 440.0;
constexpr double kToneLevel = 0.5;

} // namespace

TEST(RecordWindow, WithoutACaptureDeviceRecordStaysDisabledAndSaysWhy) {
    TempDir dir;
    // The silent fallback driver of a machine without sound, and a disk driver whose input
    // file does not exist: neither is a microphone.
    const std::pair<const char*, std::string> machines[] = {
        {"dummy", ""}, {"disk", dir.File("no such input.raw")}};
    for (const auto& [driver, input] : machines) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        setenv("SDL_DISKAUDIOFILEIN", input.c_str(), 1);
        CountingPort port;
        RecordDialog dialog(port, dir.File("takes"));
        dialog.show();
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Record");
        EXPECT_FALSE(dialog.HasDevice()) << driver;
        EXPECT_FALSE(dialog.RecordButton().isEnabled()) << driver;
        EXPECT_EQ(dialog.Message().rfind("No capture device", 0), 0u) << dialog.Message();
        PressKey(&dialog, Qt::Key_Return);
        EXPECT_FALSE(dialog.Recording()) << driver;
        EXPECT_EQ(port.stops, 0);
    }
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("SDL_DISKAUDIOFILEIN");
    EXPECT_TRUE(FilesIn(dir.File("takes")).empty());
}

TEST(RecordWindow, ReturnStartsAndStopsEscapeCancelsAndWritesNothing) {
    DiskMicrophone microphone(kToneHz, kToneLevel, 10);
    TempDir dir;
    CountingPort port;
    RecordDialog dialog(port, dir.Path());
    dialog.show();
    ASSERT_TRUE(dialog.HasDevice()) << dialog.Message();
    EXPECT_EQ(dialog.RecordButton().text().toStdString(), "&Record");

    PressKey(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.Recording());
    EXPECT_EQ(port.stops, 1); // the players fall silent as the take starts
    EXPECT_EQ(dialog.RecordButton().text().toStdString(), "&Stop");
    ASSERT_TRUE(PumpUntil([&] { return dialog.CurrentTake().Frames() >= kCaptureRate / 2; }, 5000));
    EXPECT_EQ(dialog.LevelWord(), ""); // a tone at half scale neither clips nor is too quiet

    PressKey(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.WrittenPath().empty());
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

// A take that reaches the length limit stops by itself and is written whole: every frame from
// the first to the limit, none lost and none doubled, which the tone's recurrence
// x[n+1] = 2 cos(w) x[n] - x[n-1] shows at every frame.
TEST(RecordWindow, ATakeStoppedAtTheLimitIsWrittenWhole) {
    constexpr std::int64_t kLimit = 3 * kCaptureRate / 2; // 1.5 s
    DiskMicrophone microphone(kToneHz, kToneLevel, 10);
    TempDir dir;
    CountingPort port;
    RecordDialog dialog(port, dir.File("Tonvexa"), nullptr, kLimit);
    dialog.show();
    ASSERT_TRUE(dialog.HasDevice()) << dialog.Message();
    dialog.Record_Click();
    ASSERT_TRUE(PumpUntil([&] { return !dialog.isVisible(); }, 10000));
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    const std::vector<std::string> files = FilesIn(dir.File("Tonvexa"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_TRUE(
        std::regex_match(files[0], std::regex(R"(Recording \d{4}-\d\d-\d\d \d\d-\d\d-\d\d\.wav)")))
        << files[0];
    EXPECT_EQ(dialog.WrittenPath(), dir.File("Tonvexa") + "/" + files[0]);

    const Bytes bytes = ReadFile(dialog.WrittenPath());
    ASSERT_EQ(bytes.size(), 44u + 2 * kLimit);
    std::vector<double> x;
    for (std::size_t i = 44; i + 1 < bytes.size(); i += 2) {
        x.push_back(static_cast<std::int16_t>(bytes[i] | bytes[i + 1] << 8) / 32767.0);
    }
    const double c = 2 * std::cos(2 * kTestPi * kToneHz / kCaptureRate);
    double worst = 0;
    for (std::size_t n = 1; n + 1 < x.size(); ++n) {
        worst = std::max(worst, std::fabs(x[n + 1] - c * x[n] + x[n - 1]));
    }
    EXPECT_LT(worst, 4 / 32767.0); // rounding only; a lost frame would leave about 0.06
    EXPECT_GT(*std::max_element(x.begin(), x.end()), kToneLevel - 0.01);
}
