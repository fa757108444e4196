// The main window `MDIForm1`: the frame with the menu bar and the two child windows, the
// open dialog whose file name is the program's current wave file, and the start-up timers.
#pragma once

#include "spectrum/analysis_window.h"
#include "spectrum/graph_style_port.h"
#include "ui/common_dialog.h"
#include "ui/control_widgets.h"
#include "ui/event_dispatch.h"
#include "waveview/frame_port.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

class Form;
class Form101;
class Form103;
class LiveAnalysis;
class NotePlayer;
class QAction;
class QMdiArea;
class QMenu;
class SoundImport;
class frmGuide;
class frmHarmonics;
struct Resynthesis;
struct Services;

class MDIForm1 : public FramePort, public GraphStylePort, public RestingWindow {
  public:
    // The frame of a program whose read-only files lie in `progAdd`; its Instrument menu
    // chooses the instrument of `notes`.
    MDIForm1(Services& services, NotePlayer& notes, std::string progAdd);
    ~MDIForm1() override;

    // Puts the two child windows into the frame; the first placement loads them.
    void AttachChildren(Form103& wave, Form101& spectrum);
    // The live analysis that Analysis > Follow playback, Listen and Keep the last seconds drive.
    void AttachLive(LiveAnalysis& live);
    // Runs once when the window is created: places (and so loads) the children.
    void MDIForm_Load();
    // Unloads both children (closing the frame).
    void MDIForm_Unload();
    // Places the two child windows; the first placement creates and loads them.
    void ProgIni();

    // A command, a drop or a timer tick of the frame failed: the pointers go back to normal.
    void HandlerFailed() override;

    // ---- What the waveform view asks of the frame ----
    CommonDialog& CommonDialog1() override { return commonDialog1_; }
    void mnuOpen_Click() override;
    void SetCaption(const std::string& text) override;
    std::string Caption() const override;
    void SetPointer(MousePointer p) override;
    // The frame's status line (the desktop's status bar under the child windows).
    void ShowStatus(const std::string& text) override;
    std::string StatusText() const override;
    // A load's cause of failure: on the status line, and on standard error too for the file
    // named on the command line (whose user looks at the terminal) or while no window shows.
    void ShowCause(const std::string& text) override;
    MousePointer Pointer() const { return pointer_; }
    std::string ProgAdd() const override { return progAdd_; }
    // ---- What the spectrum view asks of the style menu ----
    bool LineStyleChecked() const override;

    void mnuExit_Click();
    // Ctrl+C: the spectrum view copies its picture and table, the waveform view its graphs.
    void CopyActiveView();
    // Loads a file the user chose without the dialog (dropped on the frame, named on the
    // command line) as File > Open loads a chosen one: same reader, same failure path.
    void OpenFile(const std::string& path);
    // A wave file to load once the start-up demonstration has finished; empty for none.
    void SetStartFile(const std::string& path) { startFile_ = path; }
    // File > Record...: records a take and loads it as File > Open loads a chosen file
    // (record_menu.cpp).
    void mnuRecord_Click();
    // File > New test tone...: writes the tone the dialog describes beside the recordings and
    // loads it as File > Open loads a chosen file (test_tone_menu.cpp).
    void mnuTestTone_Click();
    // File > Import...: a sound file of any format made into a 16-bit wave copy in the
    // recordings folder, then loaded as File > Open loads a chosen file (import_menu.cpp).
    void mnuImport_Click();
    // File > Export spectrum...: the copied table as NAME.tsv and the picture as NAME.png,
    // beside each other (export_menu.cpp).
    void mnuExport_Click();
    // Analysis > Harmonics table..., Fit comb to nearest peak, Play harmonics, and the
    // Harmonics window's "Save harmonics as..." (harmonics_menu.cpp).
    void mnuHarmonicsTable_Click();
    void mnuFitComb_Click();
    void mnuPlayHarmonics_Click();
    void SaveHarmonics_Click();
    // The Harmonics window once it has been asked for, else null.
    frmHarmonics* Harmonics() const { return harmonics_.get(); }
    // Help > Guide (F1): the guide page in its own window (guide_menu.cpp).
    void mnuGuide_Click();
    // The guide window once it has been asked for, else null.
    frmGuide* Guide() const { return guide_.get(); }
    // How long an import runs before its progress window shows, ms.
    int ImportProgressAfterMs = 500;

    // ---- FTGraph menu: the spectrum's style and line colour, each redrawing the spectrum ----
    void mnuLine_Click();
    void mnuPoints_Click();
    void mnuBlue_Click();
    void mnuYellow_Click();
    void mnuPink_Click();
    void mnuGreen_Click();

    // ---- Instrument menu (instruments.cpp) ----
    // Switches the keyboard to the instrument note file playing General MIDI program InstCode.
    void TrocInstr(std::int16_t InstCode);
    void mnuPiano_Click(); // back to the piano note file; writes nothing
    void mnuVoice_Click();
    void mnuOrgan_Click();
    void mnuCelesta_Click();
    void mnuViolin_Click();
    void mnuCello_Click();
    void mnuBass_Click();
    void mnuClarinet_Click();
    void mnuBassoon_Click();
    void mnuFlute_Click();
    void mnuOboe_Click();
    void mnuTrumpet_Click();
    void mnuTrombone_Click();
    void mnuFrenchHorn_Click();
    void mnuSax_Click();

    // ---- Start-up demonstration (demonstration.cpp) ----
    void Timer2_Timer(); // load Demo.wav, select, analyse, show both views
    void Timer3_Timer(); // mark the peak, compare
    // Loads the start file when the demonstration's comparison has ended.
    void StartFileTimer_Timer();

    QMainWindow& Window() { return *window_; }
    QMdiArea& Area() { return *area_; }
    // A menu item by its name ("mnuOpen", "mnuLine", ...), for tests and the style menus.
    QAction* Item(const std::string& name) const;
    QMenu* Menu(const std::string& name) const;

    Timer Timer2;         // first half of the start-up demonstration
    Timer Timer3;         // second half of the start-up demonstration
    Timer StartFileTimer; // after the demonstration: waits for its end, loads the start file

    // Help > About asks for the About box through this.
    std::function<void()> ShowAbout;

  private:
    // What File > Open does once the dialog has a file name: the hourglass, the waveform
    // view's load and the pointers back. Throws what the load throws.
    void LoadChosenFile();
    // Places a child window at `top`; the first placement puts it into the frame and loads it.
    void Place(Form& form, double top, const std::function<void()>& load);
    void BuildMenus();
    // Runs `handler` when the menu item `name` is chosen, under the event error rule.
    void OnMenu(const std::string& name, std::function<void()> handler);
    void WireGraphStyleMenu();
    // The Analysis menu, after FTGraph: the windows, the padding, the frozen reference, the
    // harmonics and the live analysis, in that order (analysis_menu.cpp). Nothing in it is
    // remembered between runs.
    void BuildAnalysisMenu(QMenu& analysis);
    // The windows, the padding and the frozen reference: each choice transforms the spectrum
    // on show again at once (analysis_menu.cpp).
    void WireAnalysisSettings();
    AnalysisSettings CheckedAnalysis() const;
    void ChooseAnalysis();
    // Follow playback, Listen and Keep the last seconds (analysis_menu.cpp).
    void WireLiveAnalysis();
    void WireInstrumentMenu();
    void WireTestToneMenu();
    // The transform size the test tone's bin buttons use: the selection's, else the block's on
    // show, 0 when there is neither.
    std::int32_t TestTonePoints() const;
    void WireDemonstration();
    void WireImport();
    void WireExport();
    void WireGuide();
    void WireHarmonicsMenu();
    // The comb's partials resynthesised for the play range; none, with the reason on the status
    // line and in the Harmonics window, when there is nothing to sound.
    std::optional<Resynthesis> HarmonicsSound(const std::string& command);
    // Short help on the main controls of both views (control_tips.cpp).
    static void GiveToolTips(Form103& wave, Form101& spectrum);
    // Runs the import's steps under a progress window; false when cancelled (`why` empty) or
    // failed (`why` says why). No file is left behind either way.
    bool ConvertWithProgress(SoundImport& job, const std::string& name, std::string& why);
    // Sizes the frame to show both children, within the screen's available room.
    void FitToScreen();
    // Checks one of the two style items, unchecks the other and redraws the spectrum.
    void ChooseStyle(const std::string& checked, const std::string& unchecked);
    // Checks one colour item, unchecks the others, takes the colour of the spectrum view's
    // holder label as ColLine and redraws as a line.
    void ChooseColour(const std::string& item, const Label& holder);

    Services& services_;
    NotePlayer& notes_;
    Form103* wave_ = nullptr;
    Form101* spectrum_ = nullptr;
    LiveAnalysis* live_ = nullptr;
    std::unique_ptr<QMainWindow> window_;
    QMdiArea* area_ = nullptr;
    std::map<std::string, QAction*> items_;
    std::map<std::string, QMenu*> menus_;
    std::set<const Form*> placed_;
    CommonDialog commonDialog1_;
    std::string progAdd_;
    MousePointer pointer_ = MousePointer::Default;
    bool unloaded_ = false;
    std::string startFile_;
    int startFileWaitedMs_ = 0;
    bool causesToTerminal_ = false; // while the command line's file loads
    std::string importFolder_;      // where the import dialog starts; empty: the home folder
    std::string exportFolder_;      // where the export dialog starts; empty: the home folder
    std::unique_ptr<frmGuide> guide_;
    std::unique_ptr<frmHarmonics> harmonics_;
};
