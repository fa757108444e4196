// The keyboard sounds whatever became of the user's note files, or says why: a damaged copy is
// made again from its template, and a folder that cannot hold a copy leaves the keyboard
// playing a private copy, said once in the status line. Heard through the disk driver.
#include "tests/support/disk_engine.h"

#include "notes/note_files.h"
#include "shell/program.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/doubles.h"
#include "tests/support/program_folder.h"
#include "tests/support/refusing_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>

namespace {

constexpr std::int16_t kRight = 2;
constexpr float kE4X = 10425 - 150 * 5; // keyboard x of E4 (MIDI 64)
constexpr float kKeyY = 300;
constexpr double kE4Hz = 329.628;
constexpr char kNotKept[] = "the instrument choice will not be kept";

// The regular files of a folder (a temporary file left behind would show here).
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        if (e.is_regular_file()) {
            names.push_back(e.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(NoteCopies, TheKeySoundsWhateverBecameOfTheUsersCopy) {
    const Bytes shipped = ProgramFolder::Asset("Pia_do.mid");
    struct Case {
        const char* what;
        // Damages the user's copy (made by a first start) and gives what must stay afterwards
        // in the user's folder; may hold back the test with a reason.
        std::function<std::string(const ProgramFolder&, std::unique_ptr<ReadOnlyFolder>&)> damage;
        bool privateCopy;  // the keyboard must play a private copy and say so
        const char* cause; // a part of the cause the status line names
        int userFilesAfter;
    } cases[] = {
        {"damaged copy that still begins with MThd",
         [&](const ProgramFolder& f, auto&) {
             Bytes damaged = shipped;
             std::fill(damaged.begin() + 22, damaged.end(), 0); // header and track tag kept
             WriteFile(f.UserFile("Pia_do.mid"), damaged);
             return std::string();
         },
         false, "", 2},
        {"directory in the way",
         [](const ProgramFolder& f, auto&) {
             std::filesystem::remove(f.UserFile("Pia_do.mid"));
             std::filesystem::create_directories(f.UserFile("Pia_do.mid") + "/inside");
             return std::string();
         },
         true, "Is a directory", 1},
        {"read-only folder",
         [](const ProgramFolder& f, std::unique_ptr<ReadOnlyFolder>& locked) {
             locked = std::make_unique<ReadOnlyFolder>(f.UserPath());
             return locked->Ready() ? std::string() : locked->Why();
         },
         true, geteuid() == 0 ? "Operation not permitted" : "Permission denied", 2},
    };
    TestServices().Reset();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramFolder folder;
        {
            // A first start makes the user's copies.
            DiskEngine first;
            Program program(TestServices().services, first.Engine(),
                            {folder.Path(), folder.UserPath()});
        }
        ASSERT_EQ(ReadFile(folder.UserFile("Pia_do.mid")), shipped);
        std::unique_ptr<ReadOnlyFolder> locked;
        if (const std::string held = c.damage(folder, locked); !held.empty()) {
            GTEST_SKIP() << c.what << ": " << held;
        }

        DiskEngine engine;
        ASSERT_TRUE(engine.WaitForSoundFont());
        const int rate = engine.Rate();
        std::string status, statusAfterSecondPress, noteFile;
        {
            Program program(TestServices().services, engine.Engine(),
                            {folder.Path(), folder.UserPath()});
            program.Frame().Timer2.SetEnabled(false); // no start-up demonstration
            Form101& spectrum = program.SpectrumView();
            spectrum.Image1_MouseMove(0, 0, kE4X, kKeyY);
            spectrum.Image1_MouseDown(kRight, 0, kE4X, kKeyY);
            status = program.Frame().StatusText();
            noteFile = program.Notes().NoteFile();
            ASSERT_TRUE(engine.PumpDeviceFrames(static_cast<std::size_t>(rate / 2)));
            spectrum.Image1_MouseUp(kRight, 0, kE4X, kKeyY);
            program.Frame().ShowStatus("");
            spectrum.Image1_MouseDown(kRight, 0, kE4X, kKeyY);
            statusAfterSecondPress = program.Frame().StatusText();
            spectrum.Image1_MouseUp(kRight, 0, kE4X, kKeyY);
            PumpFor(50);
        }
        const Capture capture = engine.Finish();
        const auto onset = capture.Onset(0.001f);
        if (!onset) {
            ADD_FAILURE() << "the key was not heard; status line: " << status;
            continue;
        }
        EXPECT_NEAR(Fundamental(capture.LeftChannel(*onset + rate / 20, rate / 4), rate), kE4Hz,
                    kE4Hz * 0.03);
        if (c.privateCopy) {
            EXPECT_NE(status.find(kNotKept), std::string::npos) << status;
            EXPECT_NE(status.find(c.cause), std::string::npos) << status;
            EXPECT_EQ(noteFile.rfind(folder.UserPath(), 0), std::string::npos) << noteFile;
            EXPECT_EQ(statusAfterSecondPress, "") << "said once";
        } else {
            EXPECT_EQ(status.find(kNotKept), std::string::npos) << status;
            EXPECT_EQ(noteFile, folder.UserFile("Pia_do.mid"));
            Bytes remade = shipped;
            remade.at(kPianoKeyOn - 1) = remade.at(kPianoKeyOff - 1) = 64;
            EXPECT_EQ(ReadFile(folder.UserFile("Pia_do.mid")), remade);
        }
        locked.reset();
        EXPECT_EQ(static_cast<int>(FilesIn(folder.UserPath()).size()), c.userFilesAfter)
            << "no temporary file left behind";
    }
}
