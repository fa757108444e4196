// The Analysis menu's windows, padding and frozen reference on the real program: a choice
// transforms the block on show again at once, from the samples "FFT" read from the file; and
// File > New test tone..., which writes a tone beside the recordings and opens it.
#include "main_window_fixture.h"
#include "tests/support/fixtures.h"

#include "base/numbers.h"
#include "dialogs/test_tone_dialog.h"
#include "spectrum/analysis_window.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cmath>
#include <filesystem>

namespace {

constexpr double kPi = 3.14159265358979323846;

// A 436.047 Hz sine (halfway between two bins of 4096 points) at 44100 Hz, frame by frame.
int Sample(int frame) {
    return static_cast<int>(
        std::lround(8000 * std::sin(2 * kPi * 436.04736328125 * frame / 44100)));
}

} // namespace

TEST_F(MainWindowTest, AnalysisChoicesTransformTheBlockOnShowAgainFromTheSameSamples) {
    MDIForm1& main = Frame();
    main.Timer2.SetEnabled(false);
    for (const char* item : {"mnuRectangular", "mnuHann", "mnuHamming", "mnuBlackmanHarris",
                             "mnuFlatTop", "mnuNoPadding", "mnuPadding2", "mnuPadding4",
                             "mnuPadding8", "mnuFreeze", "mnuClearFrozen"}) {
        EXPECT_TRUE(main.Item(item)->isEnabled()) << item;
    }
    EXPECT_EQ(main.Item("mnuFreeze")->shortcut(), QKeySequence("Ctrl+F"));

    TempDir dir;
    const std::string path = dir.File("tone.wav");
    WriteFile(path, MakeWave(1, 16, 44100, 44100, [](int f, int) { return Sample(f); }));
    TestServices().files.answers.push_back(path);
    main.mnuOpen_Click();
    Form103& wave = Wave();
    wave.Picture2_MouseDown(1, 0, 100, 100);
    wave.Picture2_MouseMove(1, 0, 1500, 100);
    wave.Command5_Click();
    Form101& spectrum = Spectrum();
    const std::int32_t points = spectrum.BlockPoints();
    ASSERT_EQ(points, 4096);
    // The samples "FFT" read: FftPoints frames from the first selected one.
    const auto first = static_cast<int>(num::ParseNumber(wave.SelIniPoint().Caption()));
    std::vector<double> block(static_cast<std::size_t>(points) + 1, 0.0);
    for (int j = 0; j < points; ++j) {
        block[static_cast<std::size_t>(j) + 1] = Sample(first + j);
    }
    const auto expect = [&](AnalysisSettings s) {
        std::vector<double> work;
        SpectrumArrays ft;
        const std::int32_t n = AnalyseBlock(block, points, s, work, ft);
        EXPECT_EQ(spectrum.NPontGraf, n);
        EXPECT_TRUE(std::equal(ft.MagFt.begin(), ft.MagFt.end(), spectrum.Arrays().MagFt.begin()));
    };
    expect({});

    main.Item("mnuHann")->trigger();
    EXPECT_TRUE(main.Item("mnuHann")->isChecked());
    EXPECT_FALSE(main.Item("mnuRectangular")->isChecked());
    EXPECT_EQ(spectrum.Analysis().window, AnalysisWindow::Hann);
    expect({AnalysisWindow::Hann, 1});

    // A new selection, not yet transformed, leaves the block on show as it is.
    wave.Picture2_MouseDown(1, 0, 5000, 100);
    wave.Picture2_MouseMove(1, 0, 5600, 100);
    main.Item("mnuPadding4")->trigger();
    EXPECT_FALSE(main.Item("mnuNoPadding")->isChecked());
    expect({AnalysisWindow::Hann, 4});
    main.Item("mnuBlackmanHarris")->trigger();
    expect({AnalysisWindow::BlackmanHarris, 4});

    main.Item("mnuFreeze")->trigger();
    EXPECT_TRUE(spectrum.Frozen());
    EXPECT_NE(main.StatusText().find("; grey: Blackman-Harris, 4096 points, zero padding x 4"),
              std::string::npos)
        << main.StatusText();
    main.Item("mnuClearFrozen")->trigger();
    EXPECT_FALSE(spectrum.Frozen());
    EXPECT_EQ(main.StatusText().rfind("Blackman-Harris window, 4096 points, zero padding x 4", 0),
              0u)
        << main.StatusText();
}

TEST_F(MainWindowTest, NewTestToneWritesAHalfwayToneAndOpensItAsOpenDoes) {
    MDIForm1& main = Frame();
    main.Timer2.SetEnabled(false);
    EXPECT_TRUE(main.Item("mnuTestTone")->isEnabled());
    MusicFolder music;

    // The dialog is modal: a timer plays the teacher.
    QTimer teacher;
    teacher.setInterval(10);
    QObject::connect(&teacher, &QTimer::timeout, [] {
        if (auto* dialog = dynamic_cast<TestToneDialog*>(QApplication::activeModalWidget())) {
            dialog->Halfway_Click(); // for 4096 points: nothing is selected or on show yet
            dialog->Seconds().setText("1");
            dialog->WriteButton().click();
        }
    });
    teacher.start();
    QTimer::singleShot(20000, [] {
        if (QWidget* stuck = QApplication::activeModalWidget()) {
            stuck->close();
        }
    });
    main.Item("mnuTestTone")->trigger();
    teacher.stop();

    const std::filesystem::path path = main.CommonDialog1().FileName();
    EXPECT_EQ(path.parent_path(), music.Path() + "/Tonvexa");
    const std::string name = path.filename().string();
    EXPECT_EQ(name.rfind("Test tone 436.047 Hz ", 0), 0u) << name;
    ASSERT_TRUE(Wave().FileLoaded);
    EXPECT_EQ(main.Caption(), "Tonvexa [Files *.wav - (" + name + ")]");
    EXPECT_EQ(Wave().SampleRate().Caption(), "44100");
    EXPECT_EQ(Wave().ChannelsText().Caption(), "Mono");
    EXPECT_NEAR(num::ParseNumber(Wave().TotalSecs().Caption()), 1.0, 0.01);
}
