// File > Export spectrum...: the table Ctrl+C copies as NAME.tsv and the picture it copies as
// NAME.png, beside each other; an existing file is replaced only when the user says yes, and a
// disk that fills up leaves no file, even half a one, and says so.
#include "main_window_fixture.h"
#include "tests/support/fixtures.h"

#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QImage>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

namespace {

std::string Text(const Bytes& b) {
    return {b.begin(), b.end()};
}

// The chosen name without the .tsv or .png the dialog may give it.
std::string Stem(const std::string& chosen) {
    std::filesystem::path p(chosen);
    if (p.extension() == ".tsv" || p.extension() == ".png") {
        p.replace_extension();
    }
    return p.string();
}

QImage Pixels(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST_F(MainWindowTest, ExportWritesTheCopiedTableAndPictureBesideEachOther) {
    MDIForm1& main = Frame();
    main.Timer2.SetEnabled(false);
    EXPECT_EQ(main.Item("mnuExport")->shortcut(), QKeySequence("Ctrl+E"));
    TempDir dir;
    const std::string song = dir.File("song.wav");
    WriteFile(song, MakeWave(1, 16, 8000, 8000, [](int f, int) { return (f % 40) * 500; }));
    TestServices().files.answers.push_back(song);
    main.mnuOpen_Click();
    Form103& wave = Wave();
    wave.Picture2_MouseDown(1, 0, 100, 100);
    wave.Picture2_MouseMove(1, 0, 5000, 100);
    wave.Command5_Click();
    Form101& spectrum = Spectrum();
    ASSERT_GT(spectrum.NPontGraf, 0);

    const std::string base = dir.File("lesson");
    struct Case {
        const char* step;
        std::string chosen;         // in the save dialog
        std::optional<bool> answer; // to the question about existing files; none: not asked
        bool fullDisk;
        bool written; // the files hold this spectrum afterwards
    };
    const Case cases[] = {
        {"new files, the name typed with .tsv", base + ".tsv", std::nullopt, false, true},
        {"existing files kept on No", base, false, false, false},
        {"existing files replaced on Yes", base + ".png", true, false, true},
        {"a full disk", dir.File("full.tsv"), std::nullopt, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        // Something else in the files, so a replacement shows.
        if (std::filesystem::exists(base + ".tsv")) {
            WriteFile(base + ".tsv", {'o', 'l', 'd'});
            WriteFile(base + ".png", {'o', 'l', 'd'});
        }
        TestServices().Reset();
        TestServices().files.saveAnswers.push_back(c.chosen);
        if (c.answer) {
            TestServices().messages.confirmAnswers.push_back(*c.answer);
        }
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (c.fullDisk) {
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 1024; // both files are larger: writes fail as on a full disk
            setrlimit(RLIMIT_FSIZE, &small);
        }
        main.mnuExport_Click();
        setrlimit(RLIMIT_FSIZE, &old);

        ASSERT_EQ(TestServices().files.saves.size(), 1u);
        EXPECT_EQ(TestServices().files.saves[0].suggestedName, "song spectrum.tsv");
        EXPECT_EQ(TestServices().messages.questions.size(), c.answer ? 1u : 0u);
        const std::string stem = Stem(c.chosen);
        if (c.fullDisk) {
            ASSERT_EQ(TestServices().messages.shown.size(), 1u);
            const std::string& said = TestServices().messages.shown[0].text;
            EXPECT_EQ(said.rfind("The spectrum was not exported: Cannot write full.", 0), 0u)
                << said;
            EXPECT_NE(said.find(": File too large"), std::string::npos) << said;
            // Only the wave and the earlier export: no temporary file, no table alone.
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                                    std::filesystem::directory_iterator()),
                      3);
        } else {
            EXPECT_TRUE(TestServices().messages.shown.empty());
        }
        const bool there = std::filesystem::exists(stem + ".tsv");
        EXPECT_EQ(there, !c.fullDisk);
        EXPECT_EQ(std::filesystem::exists(stem + ".png"), !c.fullDisk);
        if (!there) {
            continue;
        }
        EXPECT_EQ(Text(ReadFile(stem + ".tsv")) == spectrum.CopiedTable(), c.written);
        const QImage png(QString::fromStdString(stem + ".png"));
        EXPECT_FALSE(png.isNull() && c.written);
        EXPECT_EQ(Pixels(png) == Pixels(spectrum.CopiedPicture()), c.written);
    }
}
