// The splash screen: its texts and look, the three ways it closes (timer, key, frame
// click), clicks that must not close it, and that closing runs OnClosed exactly once.
#include "dialog_events.h"
#include "dialogs/splash_screen.h"
#include "ui/services.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A splash screen that counts its closes, with Timer1 shortened so tests can wait for it.
struct CountedSplash {
    CountedSplash() {
        splash.OnClosed = [this] { ++closes; };
    }
    void ShortenTimer(int ms) { splash.Timer1.SetInterval(ms); }
    frmSplash splash;
    int closes = 0;
};

QColor LabelColour(Label& label) {
    return label.Widget()->palette().color(QPalette::WindowText);
}

TEST(SplashScreen, LoadShowsNameVersionAndPlatformAndStartsTheTimer) {
    CountedSplash s;
    frmSplash& f = s.splash;
    EXPECT_EQ(f.lblProductName.Caption(), "Tonvexa");
    EXPECT_EQ(f.lblVersion.Caption(),
              "Version " + std::to_string(AppMajor()) + "." + std::to_string(AppMinor()));
    EXPECT_EQ(f.lblPlatform.Caption(), PlatformText());
    EXPECT_FALSE(f.lblCompanyProduct.Caption().empty());
    EXPECT_TRUE(f.Timer1.Enabled());
    EXPECT_EQ(f.Timer1.Interval(), 5000);
    EXPECT_EQ(s.closes, 0);
}

TEST(SplashScreen, WindowHasItsSizeColoursAndNoCaptionBar) {
    CountedSplash s;
    frmSplash& f = s.splash;
    QWidget* window = f.Widget();
    EXPECT_EQ(window->size(), QSize(7380 / 15, 4245 / 15));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(window->windowType(), Qt::SplashScreen);
    // Light peach between the raised edge and the frame.
    EXPECT_EQ(f.Surface().PixelAt(75, 2000), QColor(255, 224, 192));
    EXPECT_EQ(f.Frame1.Widget()->palette().color(QPalette::Window), QColor(255, 224, 192));
    EXPECT_EQ(LabelColour(f.lblProductName), QColor(0, 0, 192));
    EXPECT_EQ(LabelColour(f.lblVersion), QColor(0, 64, 0));
    EXPECT_EQ(LabelColour(f.lblPlatform), QColor(0, 64, 0));
    EXPECT_EQ(LabelColour(f.lblCompanyProduct), QColor(192, 64, 0));
    EXPECT_EQ(f.Image1.Widget()->geometry(), QRect(8, 64, 283, 203));
    EXPECT_EQ(f.imgLogo.Widget()->geometry(), QRect(16, 8, 139, 99));
}

TEST(SplashScreen, VersionTextFitsAndKeepsItsRightEdge) {
    CountedSplash s;
    Label& v = s.splash.lblVersion;
    EXPECT_EQ(v.Left() + v.Width(), 5970 + 885);
    EXPECT_GE(v.Widget()->width(), v.Widget()->sizeHint().width());
    EXPECT_EQ(v.Top(), 2700);
}

TEST(SplashScreen, ArtworkIsDrawnOnTheWindowColour) {
    CountedSplash s;
    for (VectorPicture* p : {&s.splash.Image1, &s.splash.imgLogo}) {
        ASSERT_TRUE(p->Loaded());
        const QImage shot = p->Widget()->grab().toImage();
        auto at = [&shot](double fx, double fy) {
            return shot.pixelColor(static_cast<int>(fx * shot.width()),
                                   static_cast<int>(fy * shot.height()));
        };
        // The artwork's top is open to the window's colour; its dark panel lies below.
        EXPECT_EQ(at(0.5, 0.1), QColor(255, 224, 192));
        EXPECT_LT(at(0.29, 0.32).lightness(), 80) << at(0.29, 0.32).name().toStdString();
    }
}

TEST(SplashScreen, KeyOrFrameClickClosesAtOnceAndTheTimerNeverFiresAfterwards) {
    const std::vector<std::pair<const char*, std::function<void(frmSplash&)>>> ways{
        {"letter key", [](frmSplash& f) { PressKey(f.Widget(), Qt::Key_A, "a"); }},
        {"escape key", [](frmSplash& f) { PressKey(f.Widget(), Qt::Key_Escape); }},
        {"shift key alone", [](frmSplash& f) { PressKey(f.Widget(), Qt::Key_Shift); }},
        {"click on the frame",
         [](frmSplash& f) {
             // Frame point (6900, 3900) twips: below the version, right of the artwork.
             ClickOn(f.Frame1.Widget(), Qt::LeftButton, QPoint(460, 260));
         }},
    };
    for (const auto& [what, close] : ways) {
        SCOPED_TRACE(what);
        CountedSplash s;
        s.ShortenTimer(60);
        s.splash.Show();
        ASSERT_TRUE(s.splash.Widget()->isVisible());
        close(s.splash);
        EXPECT_EQ(s.closes, 1);
        EXPECT_TRUE(s.splash.Unloaded());
        EXPECT_FALSE(s.splash.Widget()->isVisible());
        EXPECT_FALSE(s.splash.Timer1.Enabled());
        RunEventsFor(250);
        EXPECT_EQ(s.closes, 1) << "the timer fired after the splash screen closed";
        // A second key or click finds it closed.
        close(s.splash);
        EXPECT_EQ(s.closes, 1);
    }
}

TEST(SplashScreen, ClicksOnPicturesAndLabelsAndOtherButtonsDoNothing) {
    CountedSplash s;
    frmSplash& f = s.splash;
    f.Show();
    for (QWidget* w :
         {f.Image1.Widget(), f.imgLogo.Widget(), f.lblProductName.Widget(), f.lblVersion.Widget(),
          f.lblPlatform.Widget(), f.lblCompanyProduct.Widget()}) {
        ClickOn(w);
    }
    ClickOn(f.Frame1.Widget(), Qt::RightButton, QPoint(460, 260));
    ClickOn(f.Frame1.Widget(), Qt::MiddleButton, QPoint(460, 260));
    EXPECT_EQ(s.closes, 0);
    EXPECT_FALSE(f.Unloaded());
    EXPECT_TRUE(f.Widget()->isVisible());
    EXPECT_TRUE(f.Timer1.Enabled());
}

TEST(SplashScreen, ClosesByItselfWhenTheTimerTicks) {
    CountedSplash s;
    s.ShortenTimer(40);
    s.splash.Show();
    RunEventsFor(300);
    EXPECT_EQ(s.closes, 1);
    EXPECT_FALSE(s.splash.Timer1.Enabled());
    EXPECT_FALSE(s.splash.Widget()->isVisible());
}

TEST(SplashScreen, ClosingThroughTheWindowSystemStillHandsOver) {
    CountedSplash s;
    s.splash.Show();
    s.splash.Widget()->close();
    EXPECT_EQ(s.closes, 1);
    EXPECT_FALSE(s.splash.Timer1.Enabled());
}

TEST(SplashScreen, ShowingCentresItAndRunsTheCallbackOnClose) {
    int shown = 0;
    frmSplash splash;
    splash.OnClosed = [&shown] { ++shown; };
    splash.Show();
    QWidget* window =
        QApplication::topLevelAt(QGuiApplication::primaryScreen()->availableGeometry().center());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowType(), Qt::SplashScreen);
    EXPECT_TRUE(window->isVisible());
    PressKey(window, Qt::Key_Space, " ");
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(window->isVisible());
}

} // namespace
