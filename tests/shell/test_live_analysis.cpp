// Analysis > Follow playback and Analysis > Listen on the real program: tone steps played
// through SDL's disk driver step the strongest peak within 100 ms, at 30 blocks a second or
// more; a microphone on the disk driver is named by its note and kept as a take; and the same
// through a private PulseAudio server, whose going away stops listening with a message.
#include "main_window_fixture.h"
#include "tests/support/disk_microphone.h"
#include "tests/support/fixtures.h"
#include "tests/support/pulse_server.h"
#include "tests/support/pump.h"

#include "base/numbers.h"
#include "dialogs/record_dialog.h"
#include "shell/live_analysis.h"
#include "spectrum/spectrogram_strip.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>

namespace {

// The rate of blocks and the widest step between them are the release build's figures: under
// ThreadSanitizer every access is checked and the user-interface thread runs several times
// slower, so there the test checks what each block shows, not how often one comes.
#if defined(__SANITIZE_THREAD__)
constexpr bool kTimedBuild = false;
#else
constexpr bool kTimedBuild = true;
#endif

// The frequency of the strongest bin of the spectrum on show, Hz.
double StrongestHz(const Form101& spectrum) {
    const auto& mag = spectrum.Arrays().MagFt;
    std::int32_t peak = 1;
    for (std::int32_t k = 1; k < spectrum.NPontGraf; ++k) {
        if (mag[static_cast<std::size_t>(k + 1)] > mag[static_cast<std::size_t>(peak + 1)]) {
            peak = k;
        }
    }
    return static_cast<double>(peak) * spectrum.FreqGraf() / (2.0 * spectrum.NPontGraf);
}

// Hovers over the strongest peak: the note name and octave the readout then shows.
std::pair<std::string, std::string> NoteAtStrongestPeak(Form101& spectrum) {
    spectrum.Picture2_MouseMove(0, 0, static_cast<float>(PitchX(StrongestHz(spectrum))), 1000);
    return {spectrum.Label3.Caption(), spectrum.Label4.Caption()};
}

// Runs the modal Record window as the user would: Open once the kept take is saved.
std::string OpenKeptTake(MDIForm1& main, LiveAnalysis& live) {
    std::string saved;
    QTimer user;
    user.setInterval(10);
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (auto* dialog = dynamic_cast<RecordDialog*>(QApplication::activeModalWidget());
            dialog && dialog->Saved()) {
            saved = dialog->Message();
            dialog->Record_Click(); // Open
        }
    });
    user.start();
    QTimer::singleShot(20000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            stuck->close();
        }
    });
    EXPECT_TRUE(main.Item("mnuKeepLast")->isEnabled());
    main.Item("mnuKeepLast")->trigger();
    user.stop();
    EXPECT_FALSE(live.Listening());
    return saved;
}

// The program on SDL's disk driver: what it plays goes into a file, so it keeps real time
// roughly without any sound hardware.
class LiveAnalysisTest : public MainWindowTest {
  protected:
    void StartOnDiskDriver() {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.File("speaker.raw").c_str(), 1);
        Start(AppPath(), userDir.Path());
        Frame().Timer2.SetEnabled(false);
    }
    ~LiveAnalysisTest() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILE");
    }
    LiveAnalysis& Live() { return program->Live(); }
    TempDir output;
};

} // namespace

// Three tone steps, 2 s each, played once with following on: every block that lies within one
// step names that step's tone, blocks come at least 30 times a second and never more than
// 100 ms of sound apart (so each step shows within 100 ms), the status line gives the block's
// time, Pause keeps the block on show, and the end of the play brings the spectrum on show
// before it back and hides the strip.
TEST_F(LiveAnalysisTest, FollowingTheStepsOfATonePeaksStepWithinATenthOfASecond) {
    StartOnDiskDriver();
    MDIForm1& main = Frame();
    constexpr int kRate = 44100;
    constexpr double kSteps[] = {330.0, 440.0, 660.0};
    constexpr double kStepSecs = 2.0;
    TempDir dir;
    const std::string song = dir.File("steps.wav");
    WriteFile(song,
              MakeWave(1, 16, kRate, static_cast<int>(3 * kStepSecs * kRate), [&](int f, int) {
                  const double hz = kSteps[static_cast<int>(f / (kStepSecs * kRate))];
                  return static_cast<int>(12000 * std::sin(2 * std::numbers::pi * hz * f / kRate));
              }));
    TestServices().files.answers.push_back(song);
    main.mnuOpen_Click();
    Form103& wave = Wave();
    Form101& spectrum = Spectrum();
    ASSERT_TRUE(wave.FileLoaded);
    ASSERT_TRUE(wave.FftPoints().Caption().empty()) << "no selection: the whole file plays";
    const std::int32_t restingPoints = spectrum.NPontGraf;

    ASSERT_TRUE(main.Item("mnuFollowPlayback")->isEnabled());
    main.Item("mnuFollowPlayback")->trigger();
    ASSERT_TRUE(Live().Following());

    struct Seen {
        double seconds, hz;
        std::string status;
    };
    std::vector<Seen> seen;
    Live().BlockShown = [&](double seconds) {
        seen.push_back({seconds, StrongestHz(spectrum), main.StatusText()});
    };
    const auto began = std::chrono::steady_clock::now();
    wave.Command1_Click();
    ASSERT_FALSE(wave.PlayIdle);
    // Pause keeps the block on show, and its time on the status line, until the play resumes.
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty() && seen.back().seconds > 1.0; }, 10000));
    wave.Command2_Click();
    PumpFor(50);
    const std::size_t blocksAtPause = seen.size();
    const std::string statusAtPause = main.StatusText();
    PumpFor(300);
    EXPECT_EQ(seen.size(), blocksAtPause);
    EXPECT_EQ(main.StatusText(), statusAtPause);
    EXPECT_TRUE(spectrum.Live());
    wave.Command2_Click();
    ASSERT_TRUE(PumpUntil([&] { return wave.PlayIdle; }, 20000));
    const double wallSecs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    PumpFor(100); // a frame after the end of the play

    ASSERT_GT(seen.size(), 10u);
    const double perSecond = static_cast<double>(seen.size()) / wallSecs;
    std::printf("%zu blocks in %.2f s of play: %.1f a second (at least 30)\n", seen.size(),
                wallSecs, perSecond);
    if (kTimedBuild) {
        EXPECT_GE(perSecond, 30.0);
    }
    const double blockSecs = static_cast<double>(kLivePointsWithoutSelection) / kRate;
    const double binHz = static_cast<double>(kRate) / kLivePointsWithoutSelection;
    double widestGap = 0;
    int checked = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const Seen& s = seen[i];
        EXPECT_EQ(s.status.rfind(BlockTimeText(s.seconds) + "; Rectangular window, 4096 points", 0),
                  0u)
            << s.status;
        if (i > 0) {
            widestGap = std::max(widestGap, s.seconds - seen[i - 1].seconds);
        }
        const int step = static_cast<int>(std::floor(s.seconds / kStepSecs));
        const bool withinOneStep = step >= 0 && step < 3 &&
                                   s.seconds - blockSecs >= step * kStepSecs &&
                                   s.seconds - step * kStepSecs >= 0.1;
        if (withinOneStep) {
            ++checked;
            EXPECT_NEAR(s.hz, kSteps[step], binHz) << "block ending at " << s.seconds << " s";
        }
    }
    std::printf("widest step between blocks: %.0f ms of sound; %d blocks within one step\n",
                widestGap * 1000, checked);
    if (kTimedBuild) {
        EXPECT_LE(widestGap, 0.1);
    }
    EXPECT_GT(checked, static_cast<int>(seen.size()) / 2);
    // Blocks from all three steps were seen.
    EXPECT_LT(seen.front().seconds, 1.0);
    EXPECT_GT(seen.back().seconds, 5.0);

    // The decoded sound never ran out while the user-interface thread followed it (6 s here;
    // the benchmarks follow 60 s at 32768 points padded x 8).
    EXPECT_EQ(engine->Underruns(), 0u);
    // At rest again: the spectrum on show before, no strip.
    EXPECT_FALSE(spectrum.Live());
    EXPECT_EQ(spectrum.NPontGraf, restingPoints);
    EXPECT_TRUE(program->Strip().Outer()->isHidden());
    EXPECT_EQ(wave.Top(), 4180);
}

// Listening to a microphone on the disk driver playing A4: the strongest peak is named A of
// octave 4, the status line carries a level, Ctrl+L again stops, and a second listen's last
// seconds are kept as a take that opens at 48 kHz like a recording. Without a capture device,
// listening says so as the Record window does.
TEST_F(LiveAnalysisTest, ListeningNamesTheMicrophonesNoteAndKeepsTheLastSeconds) {
    {
        Frame().Item("mnuListen")->trigger(); // the silent driver: nothing to listen to
        ASSERT_FALSE(Live().Listening());
        ASSERT_EQ(TestServices().messages.shown.size(), 1u);
        EXPECT_EQ(TestServices().messages.shown[0].text.rfind(
                      "No capture device: there is no microphone to listen to.", 0),
                  0u)
            << TestServices().messages.shown[0].text;
        EXPECT_FALSE(Frame().Item("mnuKeepLast")->isEnabled());
    }
    DiskMicrophone microphone(440.0, 0.5, 30);
    StartOnDiskDriver();
    MDIForm1& main = Frame();
    Form101& spectrum = Spectrum();
    MusicFolder music;
    main.Item("mnuListen")->trigger();
    ASSERT_TRUE(Live().Listening()) << TestServices().messages.shown.back().text;
    ASSERT_TRUE(PumpUntil([&] { return Live().BlocksShown() > 30; }, 10000));
    EXPECT_TRUE(spectrum.Live());
    EXPECT_EQ(spectrum.FreqGraf(), 48000);
    EXPECT_NEAR(StrongestHz(spectrum), 440.0, 48000.0 / 4096);
    EXPECT_EQ(main.StatusText().rfind("Listening: level ", 0), 0u) << main.StatusText();
    EXPECT_NE(main.StatusText().find("dBFS; Rectangular window, 4096 points"), std::string::npos)
        << main.StatusText();
    EXPECT_FALSE(program->Strip().Outer()->isHidden());
    EXPECT_GT(program->Strip().RowsAdded(), 0);
    const auto [name, octave] = NoteAtStrongestPeak(spectrum);
    EXPECT_EQ(name, "La  (A)");
    EXPECT_EQ(octave, "Octave: 4");

    main.Item("mnuListen")->trigger(); // Ctrl+L again
    EXPECT_FALSE(Live().Listening());
    EXPECT_FALSE(spectrum.Live());
    EXPECT_TRUE(program->Strip().Outer()->isHidden());

    main.Item("mnuListen")->trigger();
    ASSERT_TRUE(Live().Listening());
    PumpFor(1500);
    const std::string saved = OpenKeptTake(main, Live());
    EXPECT_EQ(saved.rfind("Saved as \u201CRecording ", 0), 0u) << saved;
    Form103& wave = Wave();
    ASSERT_TRUE(wave.FileLoaded);
    EXPECT_EQ(std::filesystem::path(main.CommonDialog1().FileName()).parent_path(),
              music.Path() + "/Tonvexa");
    EXPECT_EQ(wave.SampleRate().Caption(), "48000");
    EXPECT_NEAR(num::ParseNumber(wave.TotalSecs().Caption()), 1.5, 0.5);
    wave.Picture2_MouseDown(1, 0, 100, 100);
    wave.Picture2_MouseMove(1, 0, 9000, 100);
    wave.Command5_Click();
    EXPECT_EQ(NoteAtStrongestPeak(spectrum).first, "La  (A)");
}

namespace {

// The program on a private PulseAudio server, started before SetUp builds the program.
class LiveServerTest : public MainWindowTest {
  protected:
    PulseServer pulse;
};

} // namespace

// What the computer plays, heard through the desktop's sound server: a G4 played into the
// server's output is heard from its monitor (the default source), named, and kept as a take
// that holds it; when the server goes away, listening stops and says why.
TEST_F(LiveServerTest, ListenNamesAToneThroughTheSoundServerAndStopsWhenItGoes) {
    if (!pulse.Running()) {
        GTEST_SKIP() << pulse.Reason();
    }
    MDIForm1& main = Frame();
    main.Timer2.SetEnabled(false);
    ASSERT_EQ(engine->Info().driver, "pulseaudio");
    MusicFolder music;
    ASSERT_EQ(pulse.PlayTone(392.0, 0.5, 30), "");
    LiveAnalysis& live = program->Live();
    Form101& spectrum = Spectrum();

    main.Item("mnuListen")->trigger();
    ASSERT_TRUE(live.Listening());
    ASSERT_TRUE(PumpUntil(
        [&] { return live.BlocksShown() > 30 && std::fabs(StrongestHz(spectrum) - 392) < 12; },
        10000))
        << StrongestHz(spectrum);
    const auto [name, octave] = NoteAtStrongestPeak(spectrum);
    std::printf("Listen through the server names %s, %s\n", name.c_str(), octave.c_str());
    EXPECT_EQ(name, "Sol  (G)");
    EXPECT_EQ(octave, "Octave: 4");
    PumpFor(1000);
    OpenKeptTake(main, live);
    Form103& wave = Wave();
    ASSERT_TRUE(wave.FileLoaded);
    wave.Picture2_MouseDown(1, 0, 100, 100);
    wave.Picture2_MouseMove(1, 0, 9000, 100);
    wave.Command5_Click();
    EXPECT_EQ(NoteAtStrongestPeak(spectrum).first, "Sol  (G)");

    main.Item("mnuListen")->trigger();
    ASSERT_TRUE(live.Listening());
    ASSERT_TRUE(PumpUntil([&] { return live.BlocksShown() > 0; }, 5000));
    TestServices().messages.shown.clear();
    pulse.StopTone();
    pulse.Pactl({"exit"}); // the sound server goes away
    ASSERT_TRUE(PumpUntil([&] { return !live.Listening(); }, 10000));
    ASSERT_EQ(TestServices().messages.shown.size(), 1u);
    std::printf("when the server went: %s\n", TestServices().messages.shown[0].text.c_str());
    EXPECT_NE(TestServices().messages.shown[0].text.find("listening has stopped"),
              std::string::npos);
    EXPECT_FALSE(spectrum.Live());
}
