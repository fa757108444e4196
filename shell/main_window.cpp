#include "main_window.h"

#include "base/file_names.h"
#include "dialogs/guide_window.h"
#include "dropped_file.h"
#include "notes/note_player.h"
#include "spectrum/harmonics_window.h"
#include "spectrum/spectrum_view.h"
#include "ui/event_dispatch.h"
#include "ui/services.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <map>

namespace {

// Child window placement in twips, relative to the frame's client area.
constexpr double kChildWidth = 11920;
constexpr double kChildHeight = 4180;
constexpr double kWaveViewTop = 4180;

// How often the end of the start-up demonstration is looked for before the start file loads.
constexpr int kStartFileCheckMs = 100;

// Room the desktop takes around a window for its title bar and borders, logical pixels.
constexpr int kDecorationWidthPx = 16;
constexpr int kDecorationHeightPx = 40;

// The frame: closing it unloads the children before it goes; one wave file dropped on it is
// handed on, anything else is refused by the drag cursor.
class FrameWindow : public QMainWindow {
  public:
    FrameWindow() { setAcceptDrops(true); }
    std::function<void()> onClose;
    std::function<void(const std::string&)> onDropFile;

  protected:
    void closeEvent(QCloseEvent* e) override {
        if (onClose) {
            onClose();
        }
        e->accept();
    }
    void dragEnterEvent(QDragEnterEvent* e) override { AcceptWaveFile(*e); }
    void dragMoveEvent(QDragMoveEvent* e) override { AcceptWaveFile(*e); }
    void dropEvent(QDropEvent* e) override {
        const auto file = DroppedWaveFile(*e->mimeData());
        if (!file || !onDropFile) {
            e->ignore();
            return;
        }
        e->acceptProposedAction();
        // Loaded after the drop has ended, so the reader's boxes never hold the dragging
        // program waiting.
        QTimer::singleShot(0, this, [this, path = *file] {
            if (onDropFile) {
                Dispatch(this, [this, &path] { onDropFile(path); });
            }
        });
    }

  private:
    static void AcceptWaveFile(QDropEvent& e) {
        if (DroppedWaveFile(*e.mimeData())) {
            e.acceptProposedAction();
        } else {
            e.ignore();
        }
    }
};

} // namespace

MDIForm1::MDIForm1(Services& services, NotePlayer& notes, std::string progAdd)
    : Timer2(100, false), Timer3(500, false), StartFileTimer(kStartFileCheckMs, false),
      services_(services), notes_(notes), window_(std::make_unique<FrameWindow>()),
      commonDialog1_(*services.files), progAdd_(std::move(progAdd)) {
    auto* frame = static_cast<FrameWindow*>(window_.get());
    OwnEventsOf(frame);
    frame->onClose = [this] { MDIForm_Unload(); };
    frame->onDropFile = [this](const std::string& path) { OpenFile(path); };
    area_ = new QMdiArea(frame);
    area_->setBackground(QGuiApplication::palette().color(QPalette::Dark));
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    frame->setCentralWidget(area_);
    frame->statusBar()->setAccessibleName("Status");
    frame->setWindowTitle(QString::fromStdString(AppTitle()));
    BuildMenus();
    WireDemonstration();
    FitToScreen();
}

void MDIForm1::FitToScreen() {
    // Both children when the screen has room; else as much as fits, and the area scrolls to
    // the rest. The frame asks for no minimum beyond its menu bar, so it fits any screen.
    const QSize children(TwipsToPx(kChildWidth), TwipsToPx(kWaveViewTop + kChildHeight));
    QSize wanted = children + QSize(0, window_->menuBar()->sizeHint().height() +
                                           window_->statusBar()->sizeHint().height());
    if (const QScreen* screen = window_->screen()) {
        const QSize room =
            screen->availableGeometry().size() - QSize(kDecorationWidthPx, kDecorationHeightPx);
        if (wanted.height() > room.height()) {
            // Width for the vertical scroll bar, so only one bar is needed where room allows.
            wanted.rwidth() += window_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        }
        wanted = wanted.boundedTo(room);
    }
    window_->resize(wanted);
}

MDIForm1::~MDIForm1() = default;

void MDIForm1::BuildMenus() {
    QMenuBar* bar = window_->menuBar();
    auto menu = [&](QMenu* parent, const std::string& name, const char* caption) {
        QMenu* m = parent ? parent->addMenu(caption) : bar->addMenu(caption);
        menus_[name] = m;
        items_[name] = m->menuAction();
        return m;
    };
    auto item = [&](QMenu* parent, const std::string& name, const char* caption) {
        QAction* a = parent->addAction(caption);
        items_[name] = a;
        return a;
    };
    auto separator = [&](QMenu* parent, const std::string& name) {
        items_[name] = parent->addSeparator();
    };

    QMenu* file = menu(nullptr, "mnuFile", "&File");
    item(file, "mnuOpen", "&Open")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    OnMenu("mnuOpen", [this] { mnuOpen_Click(); });
    item(file, "mnuRecord", "&Record...")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    OnMenu("mnuRecord", [this] { mnuRecord_Click(); });
    item(file, "mnuTestTone", "&New test tone...");
    item(file, "mnuImport", "&Import...")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    item(file, "mnuExport", "&Export spectrum...")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    for (const char* name : {"mnuTestTone", "mnuImport", "mnuExport"}) {
        items_[name]->setEnabled(false);
    }
    WireTestToneMenu();
    WireImport();
    WireExport();
    separator(file, "mnuSep1");
    QMenu* save = menu(file, "mnuSave", "&Save");
    item(save, "mnuSaveTxt", "*.&txt files");
    item(save, "mnuSaveWav", "*.&wav files");
    // Saving is switched off: nothing in the program saves data.
    save->menuAction()->setEnabled(false);
    separator(file, "mnuSep2");
    items_["mnuSep2"]->setEnabled(false);
    item(file, "mnuExit", "&Exit")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    OnMenu("mnuExit", [this] { mnuExit_Click(); });

    // Ctrl+C copies the active view; it has no menu item of its own.
    auto* copy = new QAction(window_.get());
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    window_->addAction(copy);
    QObject::connect(copy, &QAction::triggered, window_.get(),
                     [this] { Dispatch(window_.get(), [this] { CopyActiveView(); }); });

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
    items_["mnuLine"]->setChecked(true);
    separator(ftGraph, "mnuSep");
    QMenu* colours = menu(ftGraph, "mnuLineColor", "Line Color");
    for (const auto& [name, caption] :
         {std::pair{"mnuBlue", "Blue"}, std::pair{"mnuYellow", "Yellow"},
          std::pair{"mnuPink", "Pink"}, std::pair{"mnuGreen", "Green"}}) {
        item(colours, name, caption)->setCheckable(true);
    }
    items_["mnuBlue"]->setChecked(true);
    WireGraphStyleMenu();

    BuildAnalysisMenu(*menu(nullptr, "mnuAnalysis", "&Analysis"));

    QMenu* help = menu(nullptr, "mnuHelp", "&Help");
    item(help, "mnuGuide", "&Guide")->setShortcut(QKeySequence(Qt::Key_F1));
    WireGuide();
    item(help, "mnuAbout", "&About");
    OnMenu("mnuAbout", [this] {
        if (ShowAbout) {
            ShowAbout();
        }
    });
}

void MDIForm1::OnMenu(const std::string& name, std::function<void()> handler) {
    QObject::connect(Item(name), &QAction::triggered, window_.get(),
                     [this, handler = std::move(handler)] { Dispatch(window_.get(), handler); });
}

QAction* MDIForm1::Item(const std::string& name) const {
    auto it = items_.find(name);
    return it == items_.end() ? nullptr : it->second;
}

QMenu* MDIForm1::Menu(const std::string& name) const {
    auto it = menus_.find(name);
    return it == menus_.end() ? nullptr : it->second;
}

void MDIForm1::AttachChildren(Form103& wave, Form101& spectrum) {
    wave_ = &wave;
    spectrum_ = &spectrum;
    GiveToolTips(wave, spectrum);
}

void MDIForm1::ProgIni() {
    // The first placement of a child puts it into the frame and loads it: the waveform view
    // first, then the spectrum view.
    Place(*wave_, kWaveViewTop, [this] { wave_->Form_Load(); });
    Place(*spectrum_, 0, [this] { spectrum_->Form_Load(); });
}

void MDIForm1::Place(Form& form, double top, const std::function<void()>& load) {
    if (!placed_.contains(&form)) {
        placed_.insert(&form);
        QMdiSubWindow* sub = area_->addSubWindow(form.Widget(), Qt::FramelessWindowHint);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        load();
    }
    form.Move(0, top, kChildWidth, kChildHeight);
}

void MDIForm1::MDIForm_Load() {
    ProgIni();
    notes_.UsePiano();
    Timer2.SetEnabled(true);
}

void MDIForm1::MDIForm_Unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    wave_->Form_Unload();
    spectrum_->Form_Unload();
}

// The command ends quietly wherever it is started from (the menu, or the waveform view
// offering the dialog again after a failed load, in the middle of its own handler): a cancel,
// which the dialog reports as an error, and any error after the dialog end it here, under the
// event error rule, and the caller goes on.
void MDIForm1::mnuOpen_Click() {
    Dispatch(window_.get(), [this] {
        commonDialog1_.Filter = "Sound Wave Files (*.wav)|*.wav";
        commonDialog1_.CancelError = true;
        commonDialog1_.ShowOpen();
        LoadChosenFile();
    });
}

// Only what a command changed is put back: a cancelled dialog leaves the pointers alone.
void MDIForm1::HandlerFailed() {
    if (pointer_ != MousePointer::Default) {
        SetPointer(MousePointer::Default);
    }
    if (services_.screen->Get() != MousePointer::Default) {
        services_.screen->Set(MousePointer::Default);
    }
}

void MDIForm1::CopyActiveView() {
    const QMdiSubWindow* active = area_->currentSubWindow();
    if (active == nullptr) {
        return;
    }
    if (spectrum_ && active == spectrum_->Outer()) {
        spectrum_->CopySpectrum();
    } else if (wave_ && active == wave_->Outer()) {
        wave_->CopyGraphs();
    }
}

void MDIForm1::OpenFile(const std::string& path) {
    commonDialog1_.Choose(path);
    LoadChosenFile();
}

void MDIForm1::LoadChosenFile() {
    if (!commonDialog1_.FileName().empty()) {
        services_.screen->Set(MousePointer::Hourglass);
        wave_->SetFocus();
        wave_->LerFileDad_3();
        if (wave_->FileLoaded && spectrum_) {
            spectrum_->NoteNewFile(commonDialog1_.FileName());
        }
        SetPointer(MousePointer::Default);
        services_.screen->Set(MousePointer::Default);
    }
}

void MDIForm1::mnuExit_Click() {
    // Ends at once: no window's unload handling runs.
    unloaded_ = true;
    QCoreApplication::exit(0);
}

void MDIForm1::ShowStatus(const std::string& text) {
    window_->statusBar()->showMessage(ReadableText(text));
}

void MDIForm1::ShowCause(const std::string& text) {
    ShowStatus(text);
    if (causesToTerminal_ || !window_->isVisible()) {
        std::fprintf(stderr, "tonvexa: %s\n", text.c_str());
        std::fflush(stderr);
    }
}

std::string MDIForm1::StatusText() const {
    return window_->statusBar()->currentMessage().toStdString();
}

void MDIForm1::SetCaption(const std::string& text) {
    window_->setWindowTitle(ReadableText(text));
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
