// File > Record... end to end: a take from a microphone playing an A4 tone becomes a file in
// the music folder, loaded as File > Open loads one, whose spectrum names the A of octave 4;
// the cyclic play that was running falls silent when the take starts.
#include "main_window_fixture.h"
#include "tests/support/disk_microphone.h"
#include "tests/support/fixtures.h"
#include "tests/support/pump.h"

#include "base/numbers.h"
#include "dialogs/record_dialog.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <algorithm>
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
    const auto& mag = spectrum.Arrays().MagFt;
    std::int32_t peak = 1;
    for (std::int32_t k = 1; k < spectrum.NPontGraf; ++k) {
        if (mag[static_cast<std::size_t>(k + 1)] > mag[static_cast<std::size_t>(peak + 1)]) {
            peak = k;
        }
    }
    const double x = BinX(peak, spectrum.NPontGraf, spectrum.FreqGraf());
    spectrum.Picture2_MouseMove(0, 0, static_cast<float>(x), 1000);
    EXPECT_EQ(spectrum.Label3.Caption(), "La  (A)");
    EXPECT_EQ(spectrum.Label4.Caption(), "Octave: 4");
}
