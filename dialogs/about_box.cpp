#include "about_box.h"

#include "sys_info_lookup.h"
#include "ui/services.h"
#include "ui/sysinfo.h"
#include "version_text.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace {

// The window's inner size in twips.
constexpr double kAboutWidth = 5730;
constexpr double kAboutHeight = 3555;

// Font sizes in points: the title, and every other text and the buttons.
constexpr double kTitlePoints = 16;
constexpr double kTextPoints = 8;

constexpr Colour kEtchLight = 0xFFFFFF;
constexpr Colour kEtchShadow = 0x808080;
constexpr double kSeparatorY = 2280;
constexpr double kSeparatorLeft = 120;
constexpr double kSeparatorRight = 5680;

constexpr const char* kDisclaimer =
    "Tonvexa is a teaching aid and comes without warranty of any kind. The frequencies and "
    "note names it shows are estimates from a discrete transform of a short stretch of "
    "sound; do not rely on them for measurement.";

void Wrap(Label& label) {
    if (auto* q = qobject_cast<QLabel*>(label.Widget())) {
        q->setWordWrap(true);
    }
}

// Centres `window` over `owner`, or over the screen when there is no owner.
void CentreOver(QWidget* window, QWidget* owner) {
    QRect placed = window->frameGeometry();
    if (owner) {
        placed.moveCenter(owner->frameGeometry().center());
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        placed.moveCenter(screen->availableGeometry().center());
    }
    window->move(placed.topLeft());
}

} // namespace

frmAbout::frmAbout(Services& services, Registry& registry, ProgramLauncher& launcher)
    : picIcon(Widget(), kProgramIconPicture), lblTitle(Widget()), lblVersion(Widget()),
      lblDescription(Widget()),
      lblDisclaimer(Widget()), Line1{{Widget(), kEtchLight, 2}, {Widget(), kEtchShadow, 1}},
      cmdOK(Widget(), "OK"), cmdSysInfo(Widget(), "&System Info..."), services_(services),
      registry_(registry), launcher_(launcher) {
    QWidget* window = Widget();
    // A fixed dialog border with a close button only; kept out of the task bar by being
    // transient for the window it is shown over.
    window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setWindowModality(Qt::NonModal);
    window->setWindowIcon(ProgramIcon());
    Move(0, 0, kAboutWidth, kAboutHeight);
    window->setFixedSize(window->size());

    picIcon.Move(240, 240, 540, 540);
    lblTitle.Move(1050, 240, 3885, 480);
    lblTitle.SetFont("Arial", kTitlePoints, true);
    lblVersion.Move(1050, 780, 3885, 225);
    lblVersion.SetFont("Arial", kTextPoints);
    lblDescription.Move(1050, 1320, 3885, 690);
    lblDescription.SetFont("Arial", kTextPoints);
    Wrap(lblDescription);
    lblDescription.SetCaption(kAboutDescription);
    // The white line lies under the grey one and shows one pixel below it: an etched groove.
    Line1[0].SetEnds(kSeparatorLeft, kSeparatorY, kSeparatorRight, kSeparatorY);
    Line1[1].SetEnds(kSeparatorLeft, kSeparatorY, kSeparatorRight, kSeparatorY);
    lblDisclaimer.Move(255, 2370, 3870, 1080);
    lblDisclaimer.SetFont("Arial", kTextPoints);
    Wrap(lblDisclaimer);
    lblDisclaimer.SetCaption(kDisclaimer);
    cmdOK.Move(4245, 2625, 1260, 345);
    cmdOK.SetDefault(true);
    cmdSysInfo.Move(4260, 3075, 1245, 345);
    // Enter presses the button that has the focus; with no button focused it presses OK.
    for (CommandButton* b : {&cmdOK, &cmdSysInfo}) {
        if (auto* q = qobject_cast<QPushButton*>(b->Widget())) {
            q->setAutoDefault(true);
            QFont font("Arial");
            font.setPointSizeF(kTextPoints);
            q->setFont(font);
        }
    }

    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdSysInfo.Click = [this] { cmdSysInfo_Click(); };
    // Keys the buttons leave unhandled (Escape, Enter elsewhere) reach the window.
    Surface().KeyDown = [this](int key) { Form_KeyDown(key); };

    Form_Load();
}

void frmAbout::Form_Load() {
    SetCaption("About " + AppTitle());
    lblVersion.SetCaption(VersionText(AppMajor(), AppMinor()));
    lblTitle.SetCaption(AppTitle());
}

void frmAbout::Show() {
    QWidget* window = Widget();
    if (!window->isVisible()) {
        QWidget* owner = QApplication::activeWindow();
        if (owner == window) {
            owner = nullptr;
        }
        window->winId(); // the native window, to attach it to its owner
        if (owner && owner->windowHandle() && window->windowHandle()) {
            window->windowHandle()->setTransientParent(owner->windowHandle());
        }
        CentreOver(window, owner);
    }
    Form::Show();
    window->raise();
    window->activateWindow();
    cmdOK.SetFocus();
}

void frmAbout::Form_KeyDown(int key) {
    // OK is both the default and the cancel button.
    if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
        cmdOK.Press();
    }
}

void frmAbout::cmdOK_Click() {
    Hide();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    const std::optional<std::string> tool = SysInfoToolPath(registry_);
    if (!tool || !launcher_.StartDetached(*tool)) {
        services_.messages->Show(kSysInfoUnavailable, AppTitle(), MsgIcon::None);
    }
}
