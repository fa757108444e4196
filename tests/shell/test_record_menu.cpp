// File > Record... end to end: a take from a microphone playing an A4 tone becomes a file in
// the music folder, loaded as File > Open loads one, whose spectrum names the A of octave 4;
// the cyclic play that was running falls silent when the take starts. And the same through a
// real sound server, recording what the computer plays from an output's monitor.
#include "main_window_fixture.h"
#include "tests/support/disk_microphone.h"
#include "tests/support/fixtures.h"
#include "tests/support/pulse_server.h"
#include "tests/support/pump.h"

#include "base/numbers.h"
#include "dialogs/record_dialog.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <gmock/gmock.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr std::int64_t kTakeFrames = 2 * kCaptureRate;

} // namespace

TEST_F(MainWindowTest, RecordLoadsATwoSecondTakeWhoseSpectrumNamesTheA) {
    DiskMicrophone microphone(440.0, 0.5, 10);
    Start(AppPath(), userDir.Path()); // again, so that its engine opens on the disk driver
    MDIForm1& main = Frame();
    main.Timer2.SetEnabled(false);
    EXPECT_EQ(main.Item("mnuRecord")->shortcut(), QKeySequence("Ctrl+R"));
    MusicFolder music;
    TempDir dir;
    const std::string song = dir.File("song.wav");
    WriteFile(song, MakeWave(1, 16, 8000, 4000, [](int f, int) { return f % 300; }));
    TestServices().files.answers.push_back(song);
    main.mnuOpen_Click();
    Form103& wave = Wave();
    wave.Command4_Click(); // cyclic play: it goes on until something stops it
    ASSERT_FALSE(wave.PlayIdle);

    // The Record window is modal: a timer plays the user, pressing Record, then Stop after 2 s
    // of sound.
    bool playedDuringTake = true;
    QTimer user;
    user.setInterval(10);
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<RecordDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        if (!dialog->Recording()) {
            dialog->Record_Click();
        } else if (dialog->CurrentTake().Frames() >= kTakeFrames) {
            playedDuringTake = !wave.PlayIdle;
            dialog->Record_Click();
        }
    });
    user.start();
    QTimer::singleShot(20000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            stuck->close();
        }
    });
    main.mnuRecord_Click();
    user.stop();
    EXPECT_FALSE(playedDuringTake);

    const std::string path = main.CommonDialog1().FileName();
    const std::string name = std::filesystem::path(path).filename().string();
    EXPECT_EQ(std::filesystem::path(path).parent_path(), music.Path() + "/Tonvexa");
    EXPECT_EQ(name.rfind("Recording ", 0), 0u) << path;
    ASSERT_TRUE(wave.FileLoaded);
    EXPECT_EQ(main.Caption(), "Tonvexa [Files *.wav - (" + name + ")]");
    EXPECT_EQ(wave.SampleRate().Caption(), "48000");
    EXPECT_EQ(wave.ChannelsText().Caption(), "Mono");
    EXPECT_NEAR(num::ParseNumber(wave.TotalSecs().Caption()), 2.0, 0.1);

    // Select most of the take, transform it, and name the largest peak.
    wave.Picture2_MouseDown(1, 0, 100, 100);
    wave.Picture2_MouseMove(1, 0, 9000, 100);
    wave.Command5_Click();
    Form101& spectrum = Spectrum();
    ASSERT_GT(spectrum.NPontGraf, 0);
    HoverStrongestBin(spectrum);
    EXPECT_EQ(spectrum.Label3.Caption(), "La  (A)");
    EXPECT_EQ(spectrum.Label4.Caption(), "Octave: 4");
}

namespace {

// The program on a real sound server: a private PulseAudio server, started before SetUp builds
// the program, so its engine and the Record window open on it; ended after TearDown.
class MonitorRecordTest : public MainWindowTest {
  protected:
    PulseServer pulse;
};

// The take's level, dBFS: its peak and RMS over the middle half (away from the onset).
std::pair<double, double> TakeLevels(const std::string& path) {
    const Bytes bytes = ReadFile(path);
    const std::size_t frames = (bytes.size() - 44) / 2;
    double peak = 0, sum = 0;
    std::size_t n = 0;
    for (std::size_t f = frames / 4; f < 3 * frames / 4; ++f) {
        const double x =
            static_cast<std::int16_t>(bytes[44 + 2 * f] | bytes[45 + 2 * f] << 8) / 32767.0;
        peak = std::max(peak, std::fabs(x));
        sum += x * x;
        ++n;
    }
    return {20 * std::log10(peak), 10 * std::log10(sum / static_cast<double>(n))};
}

} // namespace

// What the computer plays, recorded: a tone played into the server's output is recorded from
// that output's monitor, the default source, which the Record window lists and chooses. The
// take names the tone's note, and the server shows the program's streams as "Tonvexa" with its
// icon.
TEST_F(MonitorRecordTest, RecordsAToneThatTheComputerPlaysThroughTheMonitor) {
    if (!pulse.Running()) {
        GTEST_SKIP() << pulse.Reason();
    }
    MDIForm1& main = Frame();
    main.Timer2.SetEnabled(false);
    ASSERT_EQ(engine->Info().driver, "pulseaudio");
    MusicFolder music;
    ASSERT_EQ(pulse.PlayTone(440.0, 0.5, 30), "");

    std::vector<std::string> sources;
    std::string chosen, recordingMessage, captureStreams;
    QTimer user;
    user.setInterval(10);
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* dialog = dynamic_cast<RecordDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            return;
        }
        if (dialog->Saved()) {
            dialog->Record_Click(); // Open
        } else if (!dialog->Recording() && !dialog->Saving() && sources.empty()) {
            for (int i = 0; i < dialog->SourceList().count(); ++i) {
                sources.push_back(dialog->SourceList().itemText(i).toStdString());
            }
            chosen = dialog->SourceList().currentText().toStdString();
            dialog->Record_Click();
            recordingMessage = dialog->Message();
        } else if (dialog->Recording() && dialog->CurrentTake().Frames() >= kTakeFrames) {
            captureStreams = pulse.Pactl({"list", "source-outputs"});
            dialog->Record_Click();
        }
    });
    user.start();
    QTimer::singleShot(30000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            stuck->close();
        }
    });
    main.mnuRecord_Click();
    user.stop();
    const std::string playbackStreams = pulse.Pactl({"list", "sink-inputs"});
    pulse.StopTone();

    EXPECT_THAT(sources, testing::Contains(std::string(PulseServer::kMonitorDescription)));
    EXPECT_EQ(chosen, PulseServer::kMonitorDescription); // the default source
    EXPECT_EQ(recordingMessage, std::string("Recording from \u201C") +
                                    PulseServer::kMonitorDescription + "\u201D...");
    for (const auto& [streams, name] :
         {std::pair{captureStreams, "Recording"}, std::pair{playbackStreams, "Playback"}}) {
        EXPECT_NE(streams.find("media.name = \"" + std::string(name) + "\""), std::string::npos)
            << streams;
        EXPECT_NE(streams.find("application.name = \"Tonvexa\""), std::string::npos) << streams;
        EXPECT_NE(streams.find("application.icon_name = \"org.tonvexa.tonvexa\""),
                  std::string::npos)
            << streams;
        EXPECT_EQ(streams.find("Audio Stream"), std::string::npos) << streams;
    }

    const std::string path = main.CommonDialog1().FileName();
    EXPECT_EQ(std::filesystem::path(path).parent_path(), music.Path() + "/Tonvexa");
    Form103& wave = Wave();
    ASSERT_TRUE(wave.FileLoaded) << path;
    const auto [peakDb, rmsDb] = TakeLevels(path);
    std::printf("take from the monitor: peak %.2f dBFS, RMS %.2f dBFS (the tone: peak %.2f, RMS "
                "%.2f)\n",
                peakDb, rmsDb, 20 * std::log10(0.5), 20 * std::log10(0.5 / std::sqrt(2.0)));
    EXPECT_NEAR(peakDb, 20 * std::log10(0.5), 1.0);

    wave.Picture2_MouseDown(1, 0, 100, 100);
    wave.Picture2_MouseMove(1, 0, 9000, 100);
    wave.Command5_Click();
    Form101& spectrum = Spectrum();
    ASSERT_GT(spectrum.NPontGraf, 0);
    HoverStrongestBin(spectrum);
    std::printf("its spectrum's peak names %s, %s\n", spectrum.Label3.Caption().c_str(),
                spectrum.Label4.Caption().c_str());
    EXPECT_EQ(spectrum.Label3.Caption(), "La  (A)");
    EXPECT_EQ(spectrum.Label4.Caption(), "Octave: 4");
}
