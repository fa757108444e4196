// The keys a user tries first and what a screen reader hears: Ctrl+O and Ctrl+Q reach File >
// Open and File > Exit, Ctrl+C copies the active view, and the parts of both views are named.
#include "notes_fixture.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "waveview/waveform_view.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The program on a private copy of its folder (with the demonstration wave), its frame active.
class Classroom : public NotesTest {
  protected:
    void SetUp() override {
        NotesTest::SetUp();
        QMainWindow& w = Frame().Window();
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    void Press(Qt::Key key) { QTest::keyClick(&Frame().Window(), key, Qt::ControlModifier); }

    std::string WaveFile(const std::string& name, int channels) {
        const std::string path = dir.File(name);
        WriteFile(path, MakeWave(channels, 16, 8000, 4000,
                                 [](int f, int c) { return (c ? -1 : 1) * (f % 300) * 50; }));
        return path;
    }

    static std::string Said(QWidget* w, QAccessible::Text what) {
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        return a ? a->text(what).toStdString() : "<none>";
    }

    static QImage CopiedPicture() {
        return QImage::fromData(
            QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/png")), "PNG");
    }

    TempDir dir;
};

} // namespace

TEST_F(Classroom, CtrlOAndCtrlQTriggerOpenAndExit) {
    MDIForm1& main = Frame();
    EXPECT_EQ(main.Item("mnuOpen")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    EXPECT_EQ(main.Item("mnuExit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));

    TestServices().files.answers.push_back(WaveFile("keys.wav", 1));
    Press(Qt::Key_O);
    EXPECT_EQ(TestServices().files.filters.size(), 1u);
    EXPECT_TRUE(Wave().FileLoaded);

    // The item's own handler would end the test program's event loops for good: the key is
    // checked against the item it triggers.
    int exits = 0;
    QObject::disconnect(main.Item("mnuExit"), &QAction::triggered, nullptr, nullptr);
    QObject::connect(main.Item("mnuExit"), &QAction::triggered, [&exits] { ++exits; });
    Press(Qt::Key_Q);
    EXPECT_EQ(exits, 1);
}

TEST_F(Classroom, CtrlCCopiesTheActiveView) {
    MDIForm1& main = Frame();
    main.Timer2_Timer(); // the demonstration's load, selection and analysis

    main.Area().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(Spectrum().Outer()));
    Press(Qt::Key_C);
    EXPECT_EQ(CopiedPicture().size(), Spectrum().Picture2.Image().size());
    const QString table = QGuiApplication::clipboard()->mimeData()->text();
    EXPECT_TRUE(table.contains(QStringLiteral("# File\t") +
                               QString::fromStdString(main.CommonDialog1().FileName())));
    int rows = 0;
    for (const QString& line : table.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        rows += line.startsWith(QLatin1Char('#')) ? 0 : 1;
    }
    EXPECT_EQ(rows, Spectrum().NPontGraf);

    main.Area().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(Wave().Outer()));
    Press(Qt::Key_C);
    EXPECT_EQ(CopiedPicture().size(), Wave().Picture1.Image().size());
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasText());
}

TEST_F(Classroom, AScreenReaderHearsTheNamesOfTheParts) {
    MDIForm1& main = Frame();
    main.Timer2_Timer();
    Form101& spectrum = Spectrum();
    spectrum.Picture2_MouseMove(0, 0, 15160, 1000);
    Form103& wave = Wave();

    const struct {
        const char* what;
        QWidget* widget;
        std::string name;
    } named[] = {
        {"spectrum", spectrum.Picture2.Client(), "Spectrum"},
        {"keyboard", spectrum.Image1.Widget(), "Keyboard: right button plays a key"},
        {"readout", spectrum.Label2.Widget(), "Readout"},
        {"mono graph", wave.Picture2.Client(), "Waveform, mono"},
        {"frame 1", wave.Frame1.Widget(), "Analysis by FFT"},
        {"frame 2, inside frame 1", wave.Frame2.Widget(), "Channel"},
        {"frame 3", wave.Frame3.Widget(), "Graph"},
    };
    for (const auto& n : named) {
        EXPECT_EQ(Said(n.widget, QAccessible::Name), n.name) << n.what;
    }
    EXPECT_EQ(Said(spectrum.Label2.Widget(), QAccessible::Description),
              "331.537 Hz, Mi  (E), Octave: 4, Height: 57.3333333333333 %");
    const std::string graph = Said(spectrum.Picture2.Client(), QAccessible::Description);
    EXPECT_TRUE(graph.starts_with("Demo.wav, mono, ")) << graph;
    EXPECT_NE(graph.find("strongest peak 3"), std::string::npos) << graph;
    EXPECT_NE(graph.find("note E, octave 4"), std::string::npos) << graph;

    TestServices().files.answers.push_back(WaveFile("stereo.wav", 2));
    main.mnuOpen_Click();
    EXPECT_EQ(Said(wave.Picture2.Client(), QAccessible::Name), "Waveform, left channel");
    EXPECT_EQ(Said(wave.Picture5.Client(), QAccessible::Name), "Waveform, right channel");
}
