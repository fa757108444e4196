// File > Import... end to end: sound files made by sox in formats the reader refuses become
// 16-bit wave copies in the music folder's Tonvexa folder, open as File > Open opens a file and
// name their tone's note; refused, cancelled and failed imports leave nothing behind and say why.
#include "main_window_fixture.h"
#include "tests/support/fixtures.h"
#include "tests/support/music_folder.h"
#include "tests/support/pump.h"

#include "base/numbers.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>

namespace {

// Makes `path` with sox: `options` describe the output, `effects` the sound.
void Sox(const std::string& path, const QStringList& options, const QStringList& effects) {
    const QStringList arguments =
        QStringList{"-n"} + options + QStringList{QString::fromStdString(path)} + effects;
    ASSERT_EQ(QProcess::execute("sox", arguments), 0) << path;
}

// The files in `folder`, hidden ones too (an unfinished copy goes by a hidden name).
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    if (std::filesystem::exists(folder)) {
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            names.push_back(e.path().filename().string());
        }
    }
    return names;
}

// Selects most of the loaded file, analyses it and names the largest peak as the mouse reads
// it: the note label and the octave label.
std::pair<std::string, std::string> NameOfLargestPeak(Form103& wave, Form101& spectrum) {
    wave.Picture2_MouseDown(1, 0, 100, 100);
    wave.Picture2_MouseMove(1, 0, 9000, 100);
    wave.Command5_Click();
    HoverStrongestBin(spectrum);
    return {spectrum.Label3.Caption(), spectrum.Label4.Caption()};
}

class Import : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Frame().Timer2.SetEnabled(false);
    }
    MusicFolder music;
    TempDir dir;
};

} // namespace

TEST_F(Import, FilesTheReaderRefusesImportAndNameTheirTone) {
    struct Case {
        const char* name;
        QStringList options;
        const char* hz;
        const char* rate;     // of the copy
        const char* channels; // of the copy
        std::int64_t frames;  // of the copy, for 2 s of sound
        const char* note;
    };
    const Case cases[] = {
        {"field.wav",
         {"-r", "96000", "-b", "24", "-c", "2"},
         "440",
         "48000",
         "Stereo",
         96000,
         "La  (A)"},
        {"lesson.flac",
         {"-r", "44100", "-b", "16", "-c", "1"},
         "329.63",
         "44100",
         "Mono",
         88200,
         "Mi  (E)"},
        {"synth.wav",
         {"-r", "22050", "-e", "floating-point", "-b", "32", "-c", "1"},
         "261.63",
         "22050",
         "Mono",
         44100,
         "Do  (C)"},
    };
    EXPECT_EQ(Frame().Item("mnuImport")->shortcut(), QKeySequence("Ctrl+I"));
    EXPECT_TRUE(Frame().Item("mnuImport")->isEnabled());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = dir.File(c.name);
        Sox(source, c.options, {"synth", "2", "sine", c.hz, "gain", "-6"});
        TestServices().Reset();
        TestServices().files.answers.push_back(source);
        Frame().mnuImport_Click();

        EXPECT_TRUE(TestServices().messages.shown.empty());
        const std::string copy = Frame().CommonDialog1().FileName();
        EXPECT_EQ(std::filesystem::path(copy).parent_path(), music.Tonvexa());
        EXPECT_EQ(std::filesystem::path(copy).extension(), ".wav");
        Form103& wave = Wave();
        ASSERT_TRUE(wave.FileLoaded) << copy;
        EXPECT_EQ(wave.BitsText().Caption(), "16 bits");
        EXPECT_EQ(wave.SampleRate().Caption(), c.rate);
        EXPECT_EQ(wave.ChannelsText().Caption(), c.channels);
        // Nothing cut: every frame is there, give or take the resampler's edges.
        EXPECT_NEAR(num::ParseNumber(wave.TotalPoints().Caption()), c.frames, 64);
        const auto [note, octave] = NameOfLargestPeak(wave, Spectrum());
        EXPECT_EQ(note, c.note);
        EXPECT_EQ(octave, "Octave: 4");
        std::filesystem::remove(copy);
    }
}

// A file refused, an import cancelled with Escape, and a disk that fills up: each leaves the
// Tonvexa folder without a file, even half a one, and tells the user.
TEST_F(Import, WhatCannotBeImportedLeavesNothingAndSaysWhy) {
    const std::string three = dir.File("three.wav");
    Sox(three, {"-r", "8000", "-b", "16", "-c", "3"}, {"synth", "0.1", "sine", "440"});
    const std::string noise = dir.File("noise.flac");
    WriteFile(noise, Bytes(4000, 0x5A));
    // A sparse 8-bit file whose header claims one frame more than 2^31.
    const std::string endless = dir.File("endless.wav");
    {
        Bytes b = MakeWave(1, 8, 8000, 0, [](int, int) { return 128; });
        const std::uint32_t bytes = 0x80000001u;
        for (int i = 0; i < 4; ++i) {
            b[static_cast<std::size_t>(40 + i)] = static_cast<std::uint8_t>(bytes >> (8 * i));
        }
        WriteFile(endless, b);
        ASSERT_EQ(truncate(endless.c_str(), static_cast<off_t>(b.size() + bytes)), 0);
    }
    const std::string loud = dir.File("long.flac");
    Sox(loud, {"-r", "96000", "-b", "24", "-c", "2"}, {"synth", "60", "sine", "440"});
    const std::string tone = dir.File("tone24.wav");
    Sox(tone, {"-r", "8000", "-b", "24", "-c", "1"}, {"synth", "0.1", "sine", "440"});

    enum class Event { None, Escape, FullDisk, FileInTheFoldersPlace };
    struct Case {
        std::string source;
        Event event;
        const char* said; // the start of the message, or of the status line for a cancel
    };
    const Case cases[] = {
        {three, Event::None, "Cannot import three.wav: 3 channels: mono or stereo only"},
        {noise, Event::None, "Cannot import noise.flac: libsndfile cannot read it: "},
        {endless, Event::None, "Cannot import endless.wav: longer than 2^31 frames"},
        {dir.File("gone.ogg"), Event::None, "Cannot import gone.ogg: no such file"},
        {loud, Event::Escape, "Import of long.flac cancelled; nothing was written"},
        {loud, Event::FullDisk, "Cannot import long.flac: Cannot write long.wav: File too large"},
        {tone, Event::FileInTheFoldersPlace,
         "Cannot import tone24.wav: Cannot make the folder MUSIC/Tonvexa: Not a directory"},
    };
    Frame().ImportProgressAfterMs = 0; // the progress window shows at once
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        TestServices().Reset();
        const std::string before = Frame().CommonDialog1().FileName();
        TestServices().files.answers.push_back(c.source);
        bool progressShown = false;
        QTimer user;
        if (c.event == Event::Escape) {
            user.setInterval(5);
            QObject::connect(&user, &QTimer::timeout, [&] {
                if (auto* p = dynamic_cast<QProgressDialog*>(QApplication::activeModalWidget())) {
                    progressShown = true;
                    QTest::keyClick(p, Qt::Key_Escape);
                }
            });
            user.start();
        }
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (c.event == Event::FullDisk) {
            // Writes past 256 KiB fail as they do on a full disk.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit small = old;
            small.rlim_cur = 256 * 1024;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        std::string said = c.said;
        if (c.event == Event::FileInTheFoldersPlace) {
            std::filesystem::remove_all(music.Tonvexa());
            WriteFile(music.Tonvexa(), Bytes{0});
            said.replace(said.find("MUSIC"), 5, music.Path());
        }
        Frame().mnuImport_Click();
        setrlimit(RLIMIT_FSIZE, &old);
        user.stop();
        if (c.event == Event::FileInTheFoldersPlace) {
            std::filesystem::remove(music.Tonvexa());
        }

        if (c.event == Event::Escape) {
            EXPECT_TRUE(progressShown);
            EXPECT_TRUE(TestServices().messages.shown.empty());
            EXPECT_EQ(Frame().StatusText(), c.said);
        } else {
            ASSERT_EQ(TestServices().messages.shown.size(), 1u);
            EXPECT_EQ(TestServices().messages.shown[0].text.rfind(said, 0), 0u)
                << TestServices().messages.shown[0].text;
            EXPECT_EQ(TestServices().messages.shown[0].title, "Tonvexa");
        }
        EXPECT_TRUE(FilesIn(music.Tonvexa()).empty());
        EXPECT_EQ(Frame().CommonDialog1().FileName(), before) << "nothing new was opened";
    }
}
