#include "main_window.h"

#include "dialogs/about_box.h"
#include "dialogs/splash_screen.h"
#include "dialogs/vector_picture.h"
#include "note_files.h"
#include "note_state.h"
#include "platform/audio_engine.h"
#include "platform/services.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

#include <functional>
#include <map>

namespace {

// Child window placement in twips, relative to the frame's client area.
constexpr double kChildWidth = 11920;
constexpr double kChildHeight = 4180;
constexpr double kWaveViewTop = 4180;

// The frame: closing it unloads the children before it goes.
class FrameWindow : public QMainWindow {
  public:
    std::function<void()> onClose;

  protected:
    void closeEvent(QCloseEvent* e) override {
        if (onClose) {
            onClose();
        }
        e->accept();
    }
};

std::unique_ptr<MDIForm1>& MainInstance() {
    static std::unique_ptr<MDIForm1> form;
    return form;
}

std::unique_ptr<Form101>& SpectrumInstance() {
    static std::unique_ptr<Form101> form;
    return form;
}

std::map<std::string, QAction*>& Items() {
    static std::map<std::string, QAction*> items;
    return items;
}

std::map<std::string, QMenu*>& Menus() {
    static std::map<std::string, QMenu*> menus;
    return menus;
}

// Puts a child window's surface into the frame as a borderless MDI child.
void Attach(Form& form) {
    if (!MainInstance()) {
        return;
    }
    QMdiSubWindow* sub =
        MainInstance()->Area().addSubWindow(form.Widget(), Qt::FramelessWindowHint);
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
}

} // namespace

Form101& TheForm101() {
    auto& form = SpectrumInstance();
    if (!form) {
        form = std::make_unique<Form101>();
        Attach(*form);
        form->Form_Load();
    }
    return *form;
}

MDIForm1::MDIForm1()
    : Timer2(100, false), Timer3(500, false), window_(std::make_unique<FrameWindow>()) {
    auto* frame = static_cast<FrameWindow*>(window_.get());
    frame->onClose = [this] { MDIForm_Unload(); };
    area_ = new QMdiArea(frame);
    area_->setBackground(QGuiApplication::palette().color(QPalette::Dark));
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    frame->setCentralWidget(area_);
    frame->setWindowTitle(QString::fromStdString(AppTitle()));
    BuildMenus();
    WireDemonstration();
    // Room for both children.
    area_->setMinimumSize(TwipsToPx(kChildWidth), TwipsToPx(kWaveViewTop + kChildHeight));
    frame->resize(area_->minimumSize() + QSize(0, frame->menuBar()->sizeHint().height()));
}

MDIForm1::~MDIForm1() = default;

void MDIForm1::BuildMenus() {
    QMenuBar* bar = window_->menuBar();
    auto menu = [&](QMenu* parent, const std::string& name, const char* caption) {
        QMenu* m = parent ? parent->addMenu(caption) : bar->addMenu(caption);
        Menus()[name] = m;
        Items()[name] = m->menuAction();
        return m;
    };
    auto item = [&](QMenu* parent, const std::string& name, const char* caption) {
        QAction* a = parent->addAction(caption);
        Items()[name] = a;
        return a;
    };
    auto separator = [&](QMenu* parent, const std::string& name) {
        Items()[name] = parent->addSeparator();
    };

    QMenu* file = menu(nullptr, "mnuFile", "&File");
    QAction* open = item(file, "mnuOpen", "&Open");
    open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QObject::connect(open, &QAction::triggered, window_.get(), [this] { mnuOpen_Click(); });
    separator(file, "mnuSep1");
    QMenu* save = menu(file, "mnuSave", "&Save");
    item(save, "mnuSaveTxt", "*.&txt files");
    item(save, "mnuSaveWav", "*.&wav files");
    // Saving is switched off: nothing in the program saves data.
    save->menuAction()->setEnabled(false);
    separator(file, "mnuSep2");
    Items()["mnuSep2"]->setEnabled(false);
    QAction* exit = item(file, "mnuExit", "&Exit");
    exit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QObject::connect(exit, &QAction::triggered, window_.get(), [this] { mnuExit_Click(); });

    // Ctrl+C copies the active view; it has no menu item of its own.
    auto* copy = new QAction(window_.get());
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    window_->addAction(copy);
    QObject::connect(copy, &QAction::triggered, window_.get(), [this] { CopyActiveView(); });

    QMenu* instrument = menu(nullptr, "mnuInstrument", "&Instrument");
    const std::pair<const char*, const char*> instruments[] = {
        {"mnuPiano", "&Piano"},
        {"mnuSep3", "-"},
        {"mnuVoice", "&Voice (Chorus)"},
        {"mnuOrgan", "Or&gan"},
        {"mnuCelesta", "Celes&ta"},
        {"mnuSep4", "-"},
        {"mnuViolin", "V&iolin"},
        {"mnuCello", "&Cello"},
        {"mnuBass", "&Bass"},
        {"mnuSep5", "-"},
        {"mnuClarinet", "C&larinet"},
        {"mnuBassoon", "Ba&ssoon"},
        {"mnuFlute", "&Flute"},
        {"mnuOboe", "&Oboe"},
        {"mnuSep6", "-"},
        {"mnuTrumpet", "&Trumpet"},
        {"mnuTrombone", "Tro&mbone"},
        {"mnuFrenchHorn", "French &Horn"},
        {"mnuSax", "Sa&x"},
    };
    for (const auto& [name, caption] : instruments) {
        if (std::string(caption) == "-") {
            separator(instrument, name);
        } else {
            item(instrument, name, caption);
        }
    }
    WireInstrumentMenu();

    QMenu* options = menu(nullptr, "mnuOptions", "&Options");
    options->menuAction()->setEnabled(false);

    QMenu* ftGraph = menu(nullptr, "mnuFTGraph", "FTGraph");
    item(ftGraph, "mnuLine", "Line")->setCheckable(true);
    item(ftGraph, "mnuPoints", "Points")->setCheckable(true);
    Items()["mnuLine"]->setChecked(true);
    separator(ftGraph, "mnuSep");
    QMenu* colours = menu(ftGraph, "mnuLineColor", "Line Color");
    for (const auto& [name, caption] :
         {std::pair{"mnuBlue", "Blue"}, std::pair{"mnuYellow", "Yellow"},
          std::pair{"mnuPink", "Pink"}, std::pair{"mnuGreen", "Green"}}) {
        item(colours, name, caption)->setCheckable(true);
    }
    Items()["mnuBlue"]->setChecked(true);
    WireGraphStyleMenu();

    QMenu* help = menu(nullptr, "mnuHelp", "&Help");
    QObject::connect(item(help, "mnuAbout", "&About"), &QAction::triggered, window_.get(),
                     [] { AboutBox().Show(); });
}

QAction* MDIForm1::Item(const std::string& name) const {
    auto it = Items().find(name);
    return it == Items().end() ? nullptr : it->second;
}

QMenu* MDIForm1::Menu(const std::string& name) const {
    auto it = Menus().find(name);
    return it == Menus().end() ? nullptr : it->second;
}

void MDIForm1::ProgIni() {
    TheForm103().Move(0, kWaveViewTop, kChildWidth, kChildHeight);
    TheForm101().Move(0, 0, kChildWidth, kChildHeight);
}

void MDIForm1::MDIForm_Load() {
    ProgIni();
    Notes().NotePosOn = kPianoKeyOn;
    Notes().NotePosOff = kPianoKeyOff;
    try {
        progAdd_ = AppPath();
        Timer2.SetEnabled(true);
    } catch (...) {
        // A load that cannot finish ends quietly.
    }
}

void MDIForm1::MDIForm_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    TheForm103().Form_Unload();
    TheForm101().Form_Unload();
}

void MDIForm1::mnuOpen_Click() {
    commonDialog1_.Filter = "Sound Wave Files (*.wav)|*.wav";
    commonDialog1_.CancelError = true;
    try {
        commonDialog1_.ShowOpen();
        if (!commonDialog1_.FileName().empty()) {
            Platform().screen->Set(MousePointer::Hourglass);
            TheForm103().SetFocus();
            TheForm103().LerFileDad_3();
            SetPointer(MousePointer::Default);
            Platform().screen->Set(MousePointer::Default);
        }
    } catch (...) {
        // A cancel (or any error after the dialog) ends the command quietly.
    }
}

void MDIForm1::CopyActiveView() {
    const QMdiSubWindow* active = area_->currentSubWindow();
    if (active == nullptr) {
        return;
    }
    if (active == TheForm101().Outer()) {
        TheForm101().CopySpectrum();
    } else if (active == TheForm103().Outer()) {
        TheForm103().CopyGraphs();
    }
}

void MDIForm1::mnuExit_Click() {
    // Ends at once: no window's unload handling runs.
    unloaded_ = true;
    QCoreApplication::exit(0);
}

void MDIForm1::SetCaption(const std::string& text) {
    window_->setWindowTitle(QString::fromStdString(text));
}

std::string MDIForm1::Caption() const {
    return window_->windowTitle().toStdString();
}

void MDIForm1::SetPointer(MousePointer p) {
    pointer_ = p;
    if (p == MousePointer::Hourglass) {
        window_->setCursor(Qt::WaitCursor);
    } else {
        window_->unsetCursor();
    }
}

bool MDIForm1::LineStyleChecked() const {
    return Item("mnuLine")->isChecked();
}

MDIForm1& TheMDIForm1() {
    auto& form = MainInstance();
    if (!form) {
        form = std::make_unique<MDIForm1>();
        InstallShell([]() -> ShellPort& { return TheMDIForm1(); });
        InstallSpectrum([]() -> SpectrumPort& { return TheForm101(); });
        InstallForm103Factory([] {
            auto view = std::make_unique<Form103>();
            Attach(*view);
            return view;
        });
        form->MDIForm_Load();
    }
    return *form;
}

void DestroyWindows() {
    DestroyForm103();
    SpectrumInstance().reset();
    MainInstance().reset();
    Items().clear();
    Menus().clear();
}

int RunTonvexa(QApplication& app) {
    QFont font("Arial");
    font.setPointSizeF(8);
    QApplication::setFont(font);
    QApplication::setWindowIcon(ProgramIcon());
    // The sound device opens and the General MIDI instruments load while the splash shows.
    StartAudio();
    ShowSplash([] {
        TheMDIForm1().Window().show();
        TheForm101().Show();
        TheForm103().Show();
    });
    const int rc = app.exec();
    DestroyWindows();
    return rc;
}
