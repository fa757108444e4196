#include "splash_screen.h"

#include "ui/services.h"
#include "version_text.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QObject>
#include <QScreen>
#include <QSysInfo>

namespace {

// The window: inner size in twips and background colour (light peach).
constexpr double kSplashWidth = 7380;
constexpr double kSplashHeight = 4245;
constexpr Colour kSplashBack = 0xC0E0FF;

constexpr Colour kDarkBlue = 0xC00000;
constexpr Colour kDarkGreen = 0x004000;
constexpr Colour kBrickRed = 0x0040C0;

constexpr int kSplashTimeMs = 5000;

// Font sizes in points (all Arial bold), chosen so each text fits its label.
constexpr double kOrganisationPoints = 16;
constexpr double kProductNamePoints = 26;
constexpr double kPlatformPoints = 14;
constexpr double kVersionPoints = 11;

// The maker's organisation, shown above the product name.
constexpr const char* kOrganisation = "The Tonvexa Project";

// The version label keeps its right edge (shared with the platform label, 6855 twips) and
// grows to the left when its text needs more room than its 885 twips.
constexpr double kVersionRight = 5970 + 885;

// Labels: a font, a colour, and clicks that stop at the label.
void StyleLabel(Label& label, Colour colour, double points, Alignment alignment) {
    label.SetFont("Arial", points, true);
    label.SetForeColor(colour);
    label.SetAlignment(alignment);
    if (auto* q = qobject_cast<QLabel*>(label.Widget())) {
        q->setWordWrap(true);
    }
    label.Widget()->setAttribute(Qt::WA_NoMousePropagation);
}

// Watches the frame for a left click (press and release on it) and the window for a close
// requested by the window system.
class SplashEvents : public QObject {
  public:
    explicit SplashEvents(frmSplash& splash) : splash_(splash) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == splash_.Frame1.Widget()) {
            return FrameEvent(event);
        }
        if (watched == splash_.Widget() && event->type() == QEvent::Close) {
            splash_.Unload();
        }
        return false;
    }

  private:
    bool FrameEvent(QEvent* event) {
        if (event->type() != QEvent::MouseButtonPress &&
            event->type() != QEvent::MouseButtonRelease) {
            return false;
        }
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton) {
            return false;
        }
        if (event->type() == QEvent::MouseButtonPress) {
            pressed_ = true;
            return true;
        }
        const bool click =
            pressed_ && splash_.Frame1.Widget()->rect().contains(mouse->position().toPoint());
        pressed_ = false;
        if (click) {
            splash_.Frame1_Click();
        }
        return true;
    }

    frmSplash& splash_;
    bool pressed_ = false;
};

void CentreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    QRect placed = window->frameGeometry();
    placed.moveCenter(screen->availableGeometry().center());
    window->move(placed.topLeft());
}

} // namespace

std::string PlatformText() {
    const QString kernel = QSysInfo::kernelType();
    if (kernel == QLatin1String("linux")) {
        return "Linux";
    }
    return QSysInfo::prettyProductName().toStdString();
}

frmSplash::frmSplash()
    : Frame1(Widget(), ""), Image1(Frame1.Widget(), kSplashArtwork),
      imgLogo(Frame1.Widget(), kSplashArtwork), lblCompanyProduct(Frame1.Widget()),
      lblProductName(Frame1.Widget()), lblPlatform(Frame1.Widget()), lblVersion(Frame1.Widget()),
      Timer1(kSplashTimeMs, false, Widget()), events_(std::make_unique<SplashEvents>(*this)) {
    QWidget* window = Widget();
    // A fixed border without caption or buttons, kept out of the task bar.
    window->setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    window->setWindowIcon(ProgramIcon());
    Move(0, 0, kSplashWidth, kSplashHeight);
    window->setFixedSize(window->size());
    Surface().SetBackColor(kSplashBack);
    DrawBorder();

    Frame1.Move(150, 60, 7080, 4050);
    Frame1.SetBackColor(kSplashBack);
    Image1.Move(120, 960, 4245, 3045);
    imgLogo.Move(240, 120, 2085, 1485);
    lblCompanyProduct.Move(2355, 240, 4275, 510);
    StyleLabel(lblCompanyProduct, kBrickRed, kOrganisationPoints, Alignment::Left);
    lblCompanyProduct.SetCaption(kOrganisation);
    lblProductName.Move(3960, 960, 2430, 765);
    StyleLabel(lblProductName, kDarkBlue, kProductNamePoints, Alignment::Left);
    lblPlatform.Move(5025, 2340, 1830, 360);
    StyleLabel(lblPlatform, kDarkGreen, kPlatformPoints, Alignment::Right);
    lblPlatform.SetCaption(PlatformText());
    lblVersion.Move(5970, 2700, 885, 285);
    StyleLabel(lblVersion, kDarkGreen, kVersionPoints, Alignment::Right);

    Surface().KeyDown = [this](int key) { Form_KeyPress(key); };
    Timer1.Tick = [this] { Timer1_Timer(); };
    Frame1.Widget()->installEventFilter(events_.get());
    window->installEventFilter(events_.get());

    Form_Load();
}

frmSplash::~frmSplash() = default;

void frmSplash::DrawBorder() {
    // A raised two-pixel edge, as a fixed dialog border looks.
    PictureBox& s = Surface();
    const double r = kSplashWidth - kTwipsPerPixel;
    const double b = kSplashHeight - kTwipsPerPixel;
    const double px = kTwipsPerPixel;
    s.Line(0, b, 0, 0, 0xFFFFFF);
    s.LineTo(r, 0, 0xFFFFFF);
    s.Line(r, 0, r, b, 0x404040);
    s.LineTo(0, b, 0x404040);
    s.Line(px, b - px, px, px, 0xF0F8FF);
    s.LineTo(r - px, px, 0xF0F8FF);
    s.Line(r - px, px, r - px, b - px, 0x808080);
    s.LineTo(px, b - px, 0x808080);
}

void frmSplash::Form_Load() {
    lblVersion.SetCaption(VersionText(AppMajor(), AppMinor()));
    const double needed = PxToTwips(lblVersion.Widget()->sizeHint().width()) + kTwipsPerPixel;
    const double width = std::max(885.0, needed);
    lblVersion.Move(kVersionRight - width, 2700, width, 285);
    lblProductName.SetCaption(AppTitle());
    Timer1.SetEnabled(true);
}

void frmSplash::Show() {
    QWidget* window = Widget();
    Form::Show();
    CentreOnScreen(window);
    window->raise();
    window->activateWindow();
    window->setFocus(Qt::ActiveWindowFocusReason);
}

void frmSplash::Form_KeyPress(int) {
    Unload();
}

void frmSplash::Frame1_Click() {
    Unload();
}

void frmSplash::Timer1_Timer() {
    Timer1.SetEnabled(false);
    Unload();
}

void frmSplash::Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    Timer1.SetEnabled(false);
    Hide();
    if (OnClosed) {
        OnClosed();
    }
}
