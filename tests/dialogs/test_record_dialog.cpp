// The Record window on real capture devices: SDL's disk driver as a microphone playing a
// known tone, and machines with no microphone at all. A take is saved off the user-interface
// thread and never thrown away without a question.
#include "dialog_events.h"
#include "tests/support/disk_microphone.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "tests/support/pump.h"

#include "base/wave_writer.h"
#include "dialogs/record_dialog.h"

#include <QPushButton>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <mutex>
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

// The recording doubles, emptied for one test.
const Services& FreshServices() {
    TestServices().Reset();
    return TestServices().services;
}

// A folder path that cannot be made: its parent is a file ("Not a directory", even for root).
std::string UnmakeableFolder(const TempDir& dir) {
    WriteFile(dir.File("a file"), Bytes{1});
    return dir.File("a file/Tonvexa");
}

// Records until the take holds `frames`, then presses Stop; true once the save has ended.
bool RecordAndStop(RecordDialog& dialog, std::int64_t frames) {
    dialog.Record_Click();
    if (!PumpUntil([&] { return dialog.CurrentTake().Frames() >= frames; }, 5000)) {
        return false;
    }
    dialog.Record_Click();
    return PumpUntil([&] { return !dialog.Saving(); }, 5000);
}

// A writer whose save stalls (as a slow or hung disk does) until released, then writes.
class StalledWriter : public TakeWriter {
  public:
    std::string Write(const std::string& path, const std::vector<std::int16_t>& samples,
                      std::int32_t rate) override {
        std::unique_lock lock(m_);
        entered = true;
        released_.wait_for(lock, std::chrono::seconds(5), [this] { return release_; });
        return WriteWave16Mono(path, samples, rate);
    }
    void Release() {
        std::lock_guard lock(m_);
        release_ = true;
        released_.notify_all();
    }
    std::atomic<bool> entered{false};

  private:
    std::mutex m_;
    std::condition_variable released_;
    bool release_ = false;
};

// While it lives, the user has no music folder: a fresh home without one and fresh XDG
// folders.
class NoMusicFolder {
  public:
    NoMusicFolder() {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const char* old = std::getenv(name);
            old_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", dir_.Path().c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
        setenv("XDG_DATA_HOME", dir_.File("data").c_str(), 1);
    }
    ~NoMusicFolder() {
        for (const auto& [name, value] : old_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
    }
    std::string DataHome() const { return dir_.File("data"); }

  private:
    TempDir dir_;
    std::vector<std::pair<std::string, std::optional<std::string>>> old_;
};

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
        RecordDialog dialog(port, FreshServices(), {dir.File("takes")});
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

// Cancel, Escape and closing the window, during a take and after a failed save, ask before
// the take goes; "Keep" keeps it (a take goes on recording), "Discard" closes with nothing
// written. Without a take they close at once.
TEST(RecordWindow, AnUnsavedTakeIsDiscardedOnlyAfterTheQuestion) {
    DiskMicrophone microphone(kToneHz, kToneLevel, 10);
    const std::pair<const char*, std::function<void(RecordDialog&)>> ways[] = {
        {"Cancel", [](RecordDialog& d) { ClickOn(&d.CancelButton()); }},
        {"Escape", [](RecordDialog& d) { PressKey(&d, Qt::Key_Escape); }},
        {"close", [](RecordDialog& d) { d.close(); }},
    };
    for (const auto& [way, press] : ways) {
        for (const bool failedSave : {false, true}) {
            SCOPED_TRACE(std::string(way) +
                         (failedSave ? " after a failed save" : " during a take"));
            TempDir dir;
            const std::string folder = failedSave ? UnmakeableFolder(dir) : dir.File("takes");
            CountingPort port;
            RecordingMessages& messages = TestServices().messages;
            RecordDialog dialog(port, FreshServices(), {folder});
            dialog.show();
            ASSERT_TRUE(dialog.HasDevice()) << dialog.Message();
            EXPECT_EQ(dialog.RecordButton().text().toStdString(), "&Record");

            PressKey(&dialog, Qt::Key_Return);
            EXPECT_TRUE(dialog.Recording());
            EXPECT_EQ(port.stops, 1); // the players fall silent as the take starts
            EXPECT_EQ(dialog.RecordButton().text().toStdString(), "&Stop");
            ASSERT_TRUE(
                PumpUntil([&] { return dialog.CurrentTake().Frames() >= kCaptureRate / 2; }, 5000));
            EXPECT_EQ(dialog.LevelWord(), ""); // a tone at half scale neither clips nor is quiet
            if (failedSave) {
                PressKey(&dialog, Qt::Key_Return);
                ASSERT_TRUE(PumpUntil([&] { return dialog.Unsaved(); }, 5000)) << dialog.Message();
                // The cause, errno's text, on a line of its own.
                EXPECT_NE(dialog.Message().find("\nCannot make the folder " + folder +
                                                ": Not a directory"),
                          std::string::npos)
                    << dialog.Message();
            }

            press(dialog); // the double answers "Keep"
            ASSERT_EQ(messages.questions.size(), 1u);
            EXPECT_EQ(messages.questions[0].text, "Discard this take?");
            EXPECT_EQ(messages.questions[0].title, "Record");
            EXPECT_TRUE(dialog.isVisible());
            const std::int64_t kept = dialog.CurrentTake().Frames();
            EXPECT_GE(kept, kCaptureRate / 2);
            if (!failedSave) {
                ASSERT_TRUE(PumpUntil([&] { return dialog.CurrentTake().Frames() > kept; }, 5000));
            }

            messages.confirmAnswers.push_back(true);
            press(dialog);
            EXPECT_EQ(messages.questions.size(), 2u);
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
            EXPECT_TRUE(dialog.WrittenPath().empty());
            EXPECT_TRUE(FilesIn(dir.File("takes")).empty());
        }
        TempDir dir;
        CountingPort port;
        RecordDialog idle(port, FreshServices(), {dir.Path()});
        idle.show();
        press(idle);
        EXPECT_FALSE(idle.isVisible()) << way;
        EXPECT_TRUE(TestServices().messages.questions.empty()) << way;
    }
}

// After a failed save "Save as..." offers the desktop's save dialog; the take goes where it
// says, and the window names that folder.
TEST(RecordWindow, SaveAsAfterAFailedSaveSavesWhereTheDialogSays) {
    DiskMicrophone microphone(kToneHz, kToneLevel, 10);
    TempDir dir;
    CountingPort port;
    const Services& services = FreshServices();
    RecordDialog dialog(port, services, {UnmakeableFolder(dir)});
    dialog.show();
    ASSERT_TRUE(dialog.HasDevice()) << dialog.Message();
    EXPECT_FALSE(dialog.SaveAsButton().isVisible());
    ASSERT_TRUE(RecordAndStop(dialog, kCaptureRate / 2));
    ASSERT_TRUE(dialog.Unsaved()) << dialog.Message();
    EXPECT_EQ(dialog.RecordButton().text().toStdString(), "&Save");
    ASSERT_TRUE(dialog.SaveAsButton().isVisible());
    EXPECT_EQ(dialog.SaveAsButton().text().remove('&').toStdString(), "Save as...");

    // Cancelled first: nothing changes.
    ClickOn(&dialog.SaveAsButton());
    EXPECT_TRUE(dialog.Unsaved());
    std::filesystem::create_directory(dir.File("elsewhere"));
    const std::string chosen = dir.File("elsewhere/my take.wav");
    TestServices().files.saveAnswers.push_back(chosen);
    ClickOn(&dialog.SaveAsButton());
    ASSERT_TRUE(PumpUntil([&] { return dialog.Saved(); }, 5000)) << dialog.Message();

    const auto& saves = TestServices().files.saves;
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[1].filter, "Sound Wave Files (*.wav)|*.wav");
    EXPECT_EQ(saves[1].folder, ""); // the takes' folder is not there: the home folder
    EXPECT_TRUE(std::regex_match(saves[1].suggestedName,
                                 std::regex(R"(Recording \d{4}-\d\d-\d\d \d\d-\d\d-\d\d\.wav)")))
        << saves[1].suggestedName;
    EXPECT_EQ(dialog.WrittenPath(), chosen);
    EXPECT_EQ(FilesIn(dir.File("elsewhere")), std::vector<std::string>{"my take.wav"});
    EXPECT_EQ(ReadFile(chosen).size(), 44u + 2 * dialog.CurrentTake().Frames());
    EXPECT_NE(dialog.Message().find("in " + dir.File("elsewhere")), std::string::npos)
        << dialog.Message();
    EXPECT_FALSE(dialog.SaveAsButton().isVisible());
    EXPECT_EQ(dialog.RecordButton().text().toStdString(), "&Open");
    PressKey(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// A save that stalls (a slow or hung disk) runs off the user-interface thread: Stop returns at
// once, the window goes on and says it is saving; Cancel then waits for the file to be complete,
// and closes the window only then.
TEST(RecordWindow, ASaveThatStallsKeepsTheWindowResponsiveAndCancelWaitsForTheFile) {
    DiskMicrophone microphone(kToneHz, kToneLevel, 10);
    TempDir dir;
    CountingPort port;
    StalledWriter writer;
    RecordDialog dialog(port, FreshServices(), {dir.Path()}, nullptr,
                        std::int64_t{kMaxTakeSeconds} * kRecordRate, &writer);
    dialog.show();
    ASSERT_TRUE(dialog.HasDevice()) << dialog.Message();
    dialog.Record_Click();
    ASSERT_TRUE(PumpUntil([&] { return dialog.CurrentTake().Frames() >= kCaptureRate / 2; }, 5000));

    const auto before = std::chrono::steady_clock::now();
    dialog.Record_Click();
    const auto stopMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - before)
                            .count();
    EXPECT_LT(stopMs, 1000); // the writer stalls for 5 s unless released
    ASSERT_TRUE(PumpUntil([&] { return writer.entered.load(); }, 5000));
    EXPECT_TRUE(dialog.Saving());
    EXPECT_EQ(dialog.Message().rfind("Saving the take as " + dir.Path() + "/Recording ", 0), 0u)
        << dialog.Message();
    EXPECT_EQ(dialog.cursor().shape(), Qt::BusyCursor);
    EXPECT_FALSE(dialog.RecordButton().isEnabled());
    bool answered = false;
    QTimer::singleShot(50, [&] { answered = true; });
    EXPECT_TRUE(PumpUntil([&] { return answered; }, 1000)); // events go on during the save

    ClickOn(&dialog.CancelButton());
    PumpFor(300);
    EXPECT_TRUE(dialog.isVisible()); // waiting for the file
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
    writer.Release();
    ASSERT_TRUE(PumpUntil([&] { return !dialog.isVisible(); }, 5000));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    const std::vector<std::string> files = FilesIn(dir.Path());
    ASSERT_EQ(files.size(), 1u); // the take, whole, and no temporary file
    EXPECT_EQ(ReadFile(dir.File(files[0])).size(), 44u + 2 * dialog.CurrentTake().Frames());
    EXPECT_TRUE(TestServices().messages.questions.empty());
}

// With no music folder takes go to the program's data folder, and the window says so.
TEST(RecordWindow, WithNoMusicFolderTheWindowSaysWhereTheTakeWent) {
    DiskMicrophone microphone(kToneHz, kToneLevel, 10);
    NoMusicFolder noMusic;
    const TakeFolder folder = RecordingsFolder();
    EXPECT_TRUE(folder.fallback);
    EXPECT_EQ(folder.path.rfind(noMusic.DataHome() + "/", 0), 0u) << folder.path;
    CountingPort port;
    RecordDialog dialog(port, FreshServices(), folder);
    dialog.show();
    ASSERT_TRUE(dialog.HasDevice()) << dialog.Message();
    ASSERT_TRUE(RecordAndStop(dialog, kCaptureRate / 2));
    ASSERT_TRUE(dialog.Saved()) << dialog.Message();
    const std::vector<std::string> files = FilesIn(folder.path);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(dialog.Message(), "Saved as \u201C" + files[0] + "\u201D\nin " + folder.path +
                                    "\n(there is no music folder, so takes go to the program's "
                                    "data folder).");
    EXPECT_TRUE(dialog.isVisible()); // until the user has read it
}

// A take that reaches the length limit stops by itself and is written whole: every frame from
// the first to the limit, none lost and none doubled, which the tone's recurrence
// x[n+1] = 2 cos(w) x[n] - x[n-1] shows at every frame.
TEST(RecordWindow, ATakeStoppedAtTheLimitIsWrittenWhole) {
    constexpr std::int64_t kLimit = 3 * kCaptureRate / 2; // 1.5 s
    DiskMicrophone microphone(kToneHz, kToneLevel, 10);
    TempDir dir;
    CountingPort port;
    RecordDialog dialog(port, FreshServices(), {dir.File("Tonvexa")}, nullptr, kLimit);
    dialog.show();
    ASSERT_TRUE(dialog.HasDevice()) << dialog.Message();
    dialog.Record_Click();
    ASSERT_TRUE(PumpUntil([&] { return dialog.Saved(); }, 10000)) << dialog.Message();
    dialog.Record_Click(); // Open
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
