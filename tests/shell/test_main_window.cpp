// The main window: its menu bar, the placement of the children, and File > Open.
#include "main_window_fixture.h"
#include "shell/main_window.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "waveview/waveform_view.h"

#include "base/file_channel.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

class MainWindow : public MainWindowTest {
  protected:
    std::string GoodFile(const std::string& name) {
        const std::string path = dir.File(name);
        WriteFile(path, MakeWave(1, 16, 8000, 4000, [](int f, int) { return f % 300; }));
        return path;
    }

    // The captions of a menu's entries in order, "-" for a separator.
    static std::vector<std::string> Captions(QWidget* menu) {
        std::vector<std::string> out;
        for (QAction* a : menu->actions()) {
            out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        }
        return out;
    }

    TempDir dir;
};

} // namespace

TEST_F(MainWindow, MenuBarAsDesigned) {
    MDIForm1& main = Frame();
    EXPECT_EQ(main.Caption(), "Tonvexa");
    using V = std::vector<std::string>;
    EXPECT_EQ(Captions(main.Window().menuBar()),
              (V{"&File", "&Instrument", "&Options", "FTGraph", "&Analysis", "&Help"}));
    EXPECT_EQ(Captions(main.Menu("mnuFile")),
              (V{"&Open", "&Record...", "&New test tone...", "&Import...", "&Export spectrum...",
                 "-", "&Save", "-", "&Exit"}));
    EXPECT_EQ(Captions(main.Menu("mnuSave")), (V{"*.&txt files", "*.&wav files"}));
    EXPECT_EQ(Captions(main.Menu("mnuInstrument")),
              (V{"&Piano", "-", "&Voice (Chorus)", "Or&gan", "Celes&ta", "-", "V&iolin", "&Cello",
                 "&Bass", "-", "C&larinet", "Ba&ssoon", "&Flute", "&Oboe", "-", "&Trumpet",
                 "Tro&mbone", "French &Horn", "Sa&x"}));
    EXPECT_EQ(Captions(main.Menu("mnuFTGraph")), (V{"Line", "Points", "-", "Line Color"}));
    EXPECT_EQ(Captions(main.Menu("mnuLineColor")), (V{"Blue", "Yellow", "Pink", "Green"}));
    EXPECT_EQ(Captions(main.Menu("mnuAnalysis")), (V{"Rectangular",
                                                     "Hann",
                                                     "Hamming",
                                                     "Blackman-Harris",
                                                     "Flat top",
                                                     "-",
                                                     "No zero padding",
                                                     "Zero padding x 2",
                                                     "Zero padding x 4",
                                                     "Zero padding x 8",
                                                     "-",
                                                     "Freeze spectrum",
                                                     "Clear frozen spectrum",
                                                     "-",
                                                     "Harmonics table...",
                                                     "Fit comb to nearest peak",
                                                     "Play harmonics",
                                                     "-",
                                                     "Follow playback",
                                                     "Listen",
                                                     "Keep the last seconds"}));
    // Every start is the described program: the rectangular window, no padding, not following.
    EXPECT_TRUE(main.Item("mnuRectangular")->isChecked());
    EXPECT_TRUE(main.Item("mnuNoPadding")->isChecked());
    EXPECT_FALSE(main.Item("mnuFollowPlayback")->isChecked());
    EXPECT_EQ(Captions(main.Menu("mnuHelp")), (V{"&Guide", "&About"}));
    // Switched off: saving and the options menu, shown greyed.
    EXPECT_FALSE(main.Item("mnuSave")->isEnabled());
    EXPECT_FALSE(main.Item("mnuOptions")->isEnabled());
    EXPECT_TRUE(main.Item("mnuOpen")->isEnabled());
    EXPECT_TRUE(main.Item("mnuLine")->isChecked());
    EXPECT_FALSE(main.Item("mnuPoints")->isChecked());
    EXPECT_TRUE(main.Item("mnuBlue")->isChecked());
    EXPECT_TRUE(main.LineStyleChecked());
    for (const char* instrument : {"mnuPiano", "mnuViolin", "mnuSax"}) {
        EXPECT_FALSE(main.Item(instrument)->isCheckable()) << instrument;
    }
    // The load arms the start-up demonstration's first half only.
    EXPECT_TRUE(main.Timer2.Enabled());
    EXPECT_EQ(main.Timer2.Interval(), 100);
    EXPECT_FALSE(main.Timer3.Enabled());
    EXPECT_EQ(main.Timer3.Interval(), 500);
}

TEST_F(MainWindow, ChildrenTileTheFrameWaveformViewFirst) {
    MDIForm1& main = Frame();
    Form103& view = Wave();
    EXPECT_EQ(view.Left(), 0);
    EXPECT_EQ(view.Top(), 4180);
    EXPECT_EQ(view.Width(), 11920);
    EXPECT_EQ(view.Height(), 4180);
    const auto subs = main.Area().subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 2);
    EXPECT_EQ(subs[0]->widget(), view.Widget()) << "the waveform view loads first";
    EXPECT_EQ(subs[0]->geometry(), QRect(0, 279, 795, 278));
    EXPECT_EQ(subs[1]->geometry(), QRect(0, 0, 795, 279));
    EXPECT_FALSE(main.ProgAdd().empty());
}

TEST_F(MainWindow, OpenLoadsTheChosenFileWithTheHourglassMeanwhile) {
    const std::string path = GoodFile("song.wav");
    TestServices().files.answers.push_back(path);
    Frame().mnuOpen_Click();
    ASSERT_EQ(TestServices().files.filters.size(), 1u);
    EXPECT_EQ(TestServices().files.filters[0], "Sound Wave Files (*.wav)|*.wav");
    EXPECT_TRUE(Wave().FileLoaded);
    EXPECT_EQ(Frame().Caption(), "Tonvexa [Files *.wav - (song.wav)]");
    EXPECT_EQ(Frame().CommonDialog1().FileName(), path);
    const auto& screen = TestServices().screen.history;
    ASSERT_EQ(screen.size(), 2u);
    EXPECT_EQ(screen[0], MousePointer::Hourglass);
    EXPECT_EQ(screen[1], MousePointer::Default);
}

TEST_F(MainWindow, CancelKeepsThePreviousFile) {
    const std::string path = GoodFile("first.wav");
    TestServices().files.answers.push_back(path);
    Frame().mnuOpen_Click();
    TestServices().Reset();
    Frame().mnuOpen_Click(); // no answer: cancel
    EXPECT_EQ(TestServices().files.filters.size(), 1u);
    EXPECT_TRUE(Wave().FileLoaded);
    EXPECT_EQ(Frame().CommonDialog1().FileName(), path);
    EXPECT_TRUE(TestServices().screen.history.empty()) << "pointers untouched";
}

TEST_F(MainWindow, ARejectedFileReopensTheDialogUntilAGoodOneOrCancel) {
    const std::string bad = dir.File("bad.wav");
    WriteFile(bad, {'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'});
    const std::string good = GoodFile("good.wav");

    // Rejected, then cancelled: the view stays empty with the rejected name current.
    TestServices().files.answers = {bad, std::nullopt};
    Frame().mnuOpen_Click();
    EXPECT_EQ(TestServices().files.filters.size(), 2u);
    EXPECT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_FALSE(Wave().FileLoaded);
    EXPECT_EQ(Frame().CommonDialog1().FileName(), bad);
    EXPECT_EQ(Frame().Caption(), "Tonvexa [Files *.wav - (bad.wav)]");

    // Rejected twice, then a good file: loaded.
    TestServices().Reset();
    TestServices().files.answers = {bad, bad, good};
    Frame().mnuOpen_Click();
    EXPECT_EQ(TestServices().files.filters.size(), 3u);
    EXPECT_EQ(TestServices().messages.shown.size(), 2u);
    EXPECT_TRUE(Wave().FileLoaded);
    EXPECT_EQ(Wave().Label1.Caption(), "File: " + good);
}

TEST_F(MainWindow, ClosingTheFrameUnloadsTheChildren) {
    const std::string path = GoodFile("a.wav");
    program->Channel1().Open(path, FileChannel::Mode::BinaryRead);
    Frame().Window().close();
    EXPECT_FALSE(program->Channel1().IsOpen());
}
