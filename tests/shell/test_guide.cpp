// Help that teaches: F1 opens the guide installed beside the program in a window of its own,
// and the guide and the manual page name every shortcut the menus really have.
#include "notes_fixture.h"
#include "tests/support/program_folder.h"

#include "dialogs/guide_window.h"

#include <QAction>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextBrowser>

#include <cstdlib>
#include <set>

namespace {

class Guide : public ProgramTest {
  protected:
    void SetUp() override {
        Start(folder.Path(), folder.UserPath());
        Frame().Timer2.SetEnabled(false);
        QMainWindow& w = Frame().Window();
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    }

    // Every shortcut of the frame: its menus' items and its own actions (Ctrl+C), as written.
    std::set<std::string> Shortcuts() {
        std::set<std::string> keys;
        std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
            for (QAction* a : actions) {
                if (!a->shortcut().isEmpty()) {
                    keys.insert(a->shortcut().toString(QKeySequence::PortableText).toStdString());
                }
                if (a->menu()) {
                    walk(a->menu()->actions());
                }
            }
        };
        walk(Frame().Window().menuBar()->actions());
        walk(Frame().Window().actions());
        return keys;
    }

    ProgramFolder folder{"Demo.wav", "Pia_do.mid", "Pis_do.mid", "guide.html"};
};

std::string ManPage() {
    const char* assets = std::getenv("TONVEXA_ASSETS");
    const Bytes b = ReadFile(std::string(assets ? assets : ".") + "/../packaging/tonvexa.1");
    return {b.begin(), b.end()};
}

} // namespace

TEST_F(Guide, F1OpensTheGuideWhichNamesEveryShortcut) {
    MDIForm1& main = Frame();
    EXPECT_TRUE(main.Item("mnuGuide")->isEnabled());
    QTest::keyClick(&main.Window(), Qt::Key_F1);
    ASSERT_NE(main.Guide(), nullptr);
    ASSERT_TRUE(main.Guide()->Visible());
    EXPECT_EQ(main.Guide()->Window().windowTitle().toStdString(), "Tonvexa Guide");
    EXPECT_FALSE(main.Guide()->Page().openExternalLinks()) << "no web browser";

    const std::string page = main.Guide()->Page().toPlainText().toStdString();
    for (const char* words : {"Number of points", "N/2 frequency bins", "R/N Hz", "Left button",
                              "Right button on the keyboard", "~/Music/Tonvexa",
                              "~/.local/share/Tonvexa", "Escape", "Ctrl+C"}) {
        EXPECT_NE(page.find(words), std::string::npos) << words;
    }
    const std::string man = ManPage();
    const std::set<std::string> keys = Shortcuts();
    EXPECT_TRUE(keys.contains("Ctrl+Shift+P") && keys.contains("F1") && keys.contains("Ctrl+C"));
    for (const std::string& key : keys) {
        EXPECT_NE(page.find(key), std::string::npos) << key << " is missing from the guide";
        EXPECT_NE(man.find(".B " + key + "\n"), std::string::npos)
            << key << " is missing from the manual page's KEYS";
    }

    // F1 again, from the guide itself, keeps the one window.
    QDialog* window = &main.Guide()->Window();
    QTest::keyClick(window, Qt::Key_F1);
    EXPECT_EQ(&main.Guide()->Window(), window);
    EXPECT_TRUE(main.Guide()->Visible());
}
