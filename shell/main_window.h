// The main window `MDIForm1`: the frame with the menu bar and the two child windows, the
// open dialog whose file name is the program's current wave file, and the start-up timers.
#pragma once

#include "platform/common_dialog.h"
#include "platform/control_widgets.h"
#include "platform/ports.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <string>

class Form101;
class QAction;
class QApplication;
class QMdiArea;
class QMenu;

class MDIForm1 : public ShellPort {
  public:
    MDIForm1();
    ~MDIForm1() override;

    // Runs once when the window is created: places (and so loads) the children.
    void MDIForm_Load();
    // Unloads both children (closing the frame).
    void MDIForm_Unload();
    // Places the two child windows; the first placement creates and loads them.
    void ProgIni();

    // ---- ShellPort ----
    CommonDialog& CommonDialog1() override { return commonDialog1_; }
    void mnuOpen_Click() override;
    void SetCaption(const std::string& text) override;
    std::string Caption() const override;
    void SetPointer(MousePointer p) override;
    MousePointer Pointer() const { return pointer_; }
    std::string ProgAdd() const override { return progAdd_; }
    bool LineStyleChecked() const override;

    void mnuExit_Click();
    // Ctrl+C: the spectrum view copies its picture and table, the waveform view its graphs.
    void CopyActiveView();

    // ---- FTGraph menu: the spectrum's style and line colour, each redrawing the spectrum ----
    void mnuLine_Click();
    void mnuPoints_Click();
    void mnuBlue_Click();
    void mnuYellow_Click();
    void mnuPink_Click();
    void mnuGreen_Click();

    // ---- Instrument menu (instruments.cpp) ----
    // Writes the program number InstCode (0..127) into every program change of the instrument
    // note file and switches the keyboard to that file; both note players are closed first.
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

    QMainWindow& Window() { return *window_; }
    QMdiArea& Area() { return *area_; }
    // A menu item by its name ("mnuOpen", "mnuLine", ...), for tests and the style menus.
    QAction* Item(const std::string& name) const;
    QMenu* Menu(const std::string& name) const;

    Timer Timer2; // first half of the start-up demonstration
    Timer Timer3; // second half of the start-up demonstration

  private:
    void BuildMenus();
    void WireGraphStyleMenu();
    void WireInstrumentMenu();
    void WireDemonstration();
    // Checks one of the two style items, unchecks the other and redraws the spectrum.
    void ChooseStyle(const std::string& checked, const std::string& unchecked);
    // Checks one colour item, unchecks the others, takes the colour of the spectrum view's
    // holder label as ColLine and redraws as a line.
    void ChooseColour(const std::string& item, const Label& holder);

    std::unique_ptr<QMainWindow> window_;
    QMdiArea* area_ = nullptr;
    CommonDialog commonDialog1_;
    std::string progAdd_;
    MousePointer pointer_ = MousePointer::Default;
    bool unloaded_ = false;
};

// The main window, created on first use.
MDIForm1& TheMDIForm1();
// The spectrum view, created (placed in the frame and loaded) on first use.
Form101& TheForm101();
// Destroys every window (the children first), so the next use creates them again.
void DestroyWindows();
// Starts the program: the main window shown, then the event loop.
int RunTonvexa(QApplication& app);
