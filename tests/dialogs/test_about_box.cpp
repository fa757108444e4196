// The About box: its texts and layout, that it is modeless and single, and that OK, Enter
// and Escape close it.
#include "dialog_doubles.h"
#include "dialog_events.h"
#include "dialogs/about_box.h"
#include "dialogs/version_text.h"
#include "tests/support/doubles.h"
#include "ui/services.h"

#include <QApplication>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(VersionText, JoinsMajorAndMinor) {
    const struct {
        int major, minor;
        const char* text;
    } cases[]{{2, 0, "Version 2.0"}, {1, 12, "Version 1.12"}, {0, 9, "Version 0.9"}};
    for (const auto& c : cases) {
        EXPECT_EQ(VersionText(c.major, c.minor), c.text);
    }
}

TEST(AboutBox, LoadSetsCaptionTitleVersionAndTexts) {
    AboutDoubles doubles;
    frmAbout& about = doubles.about;
    EXPECT_EQ(about.Caption(), "About Tonvexa");
    EXPECT_EQ(about.Widget()->windowTitle(), "About Tonvexa");
    EXPECT_EQ(about.lblTitle.Caption(), "Tonvexa");
    EXPECT_EQ(about.lblVersion.Caption(),
              "Version " + std::to_string(AppMajor()) + "." + std::to_string(AppMinor()));
    EXPECT_EQ(about.lblDescription.Caption(),
              "This program demonstrates how Fourier Transform can be used to analyse complex "
              "sound waves. It works exclusively with *.wav files.");
    EXPECT_FALSE(about.lblDisclaimer.Caption().empty());
    EXPECT_EQ(about.cmdOK.Caption(), "OK");
    EXPECT_EQ(about.cmdSysInfo.Caption(), "&System Info...");
    EXPECT_TRUE(about.picIcon.Loaded());
}

TEST(AboutBox, HasItsSizeAndAnEtchedSeparator) {
    AboutDoubles doubles;
    frmAbout& about = doubles.about;
    EXPECT_EQ(about.Widget()->size(), QSize(5730 / 15, 3555 / 15));
    EXPECT_EQ(about.Line1[0].BorderColor(), 0xFFFFFFu);
    EXPECT_EQ(about.Line1[1].BorderColor(), 0x808080u);
    EXPECT_EQ(about.Line1[0].Widget()->height(), 2);
    EXPECT_EQ(about.Line1[1].Widget()->height(), 1);
    // Grey over white, both from (120, 2280): the white shows one pixel below the grey.
    EXPECT_EQ(about.Line1[0].Widget()->geometry().topLeft(), QPoint(8, 152));
    EXPECT_EQ(about.Line1[1].Widget()->geometry().topLeft(), QPoint(8, 152));
    const QImage shot = about.Widget()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(100, 152), QColor(128, 128, 128));
    EXPECT_EQ(shot.pixelColor(100, 153), QColor(255, 255, 255));
}

TEST(AboutBox, ShowingItAgainBringsItBackWithoutBlocking) {
    AboutDoubles doubles;
    frmAbout& first = doubles.about;
    first.Show();
    first.Show();
    int boxes = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        boxes += w->windowTitle() == "About Tonvexa" ? 1 : 0;
    }
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(first.Widget()->isVisible());
    first.cmdOK.Press();
    EXPECT_FALSE(first.Widget()->isVisible());
    first.Show();
    EXPECT_TRUE(first.Widget()->isVisible());
    first.cmdOK.Press();
}

// Notes whether the window it watches was blocked by a modal window.
class BlockWatcher : public QObject {
  public:
    bool blocked = false;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::WindowBlocked) {
            blocked = true;
        }
        return false;
    }
};

TEST(AboutBox, IsModelessSoOtherWindowsStayUsable) {
    AboutDoubles doubles;
    frmAbout& first = doubles.about;
    QWidget other;
    BlockWatcher watcher;
    other.installEventFilter(&watcher);
    other.show();
    first.Show(); // returns at once
    EXPECT_TRUE(first.Widget()->isVisible());
    EXPECT_FALSE(first.Widget()->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(watcher.blocked);
    first.cmdOK.Press();
}

TEST(AboutBox, EnterAndEscapePressOkAndEnterOnSysInfoPressesIt) {
    AboutDoubles doubles;
    TestServices().Reset();
    frmAbout& about = doubles.about;
    const struct {
        const char* what;
        QWidget* target;
        int key;
        bool closes;
    } cases[]{
        {"Escape on OK", about.cmdOK.Widget(), Qt::Key_Escape, true},
        {"Escape on System Info", about.cmdSysInfo.Widget(), Qt::Key_Escape, true},
        {"Escape on the window", about.Widget(), Qt::Key_Escape, true},
        {"Enter on OK", about.cmdOK.Widget(), Qt::Key_Return, true},
        {"Enter on the window", about.Widget(), Qt::Key_Return, true},
        {"keypad Enter on the window", about.Widget(), Qt::Key_Enter, true},
        {"a letter on the window", about.Widget(), Qt::Key_X, false},
        {"Enter on System Info", about.cmdSysInfo.Widget(), Qt::Key_Return, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TestServices().Reset();
        about.Show();
        PressKey(c.target, c.key);
        EXPECT_EQ(about.Widget()->isVisible(), !c.closes);
        about.Hide();
    }
    // Only Enter on "&System Info..." asked for the tool (there is none: one message).
    ASSERT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_EQ(TestServices().messages.shown[0].text,
              "System Information Is Unavailable At This Time");
    EXPECT_TRUE(qobject_cast<QPushButton*>(about.cmdOK.Widget())->isDefault());
}

} // namespace
