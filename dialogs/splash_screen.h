// The splash screen: the program's first window. It shows the name, version and artwork,
// and closes after 5 s, on any key, or on a click on its frame; closing runs OnClosed once.
#pragma once

#include "ui/control_widgets.h"
#include "ui/form.h"
#include "vector_picture.h"

#include <functional>
#include <memory>
#include <string>

class QObject;

class frmSplash : public Form {
  public:
    // Builds the window and its controls and runs its load (which starts Timer1).
    frmSplash();
    ~frmSplash() override;

    // Shows the window centred on the screen, on top and holding the keyboard focus.
    void Show();

    void Form_Load();
    void Form_KeyPress(int KeyAscii);
    void Frame1_Click();
    void Timer1_Timer();
    // Closes the splash screen (whichever way it is closed): stops Timer1, hides the window
    // and runs OnClosed. Only the first call has any effect.
    void Unload();
    bool Unloaded() const { return unloaded_; }

    // Runs once when the splash screen closes; the program shows its main window here.
    std::function<void()> OnClosed;

    Frame Frame1;
    VectorPicture Image1;
    VectorPicture imgLogo;
    Label lblCompanyProduct;
    Label lblProductName;
    Label lblPlatform;
    Label lblVersion;
    Timer Timer1;

  private:
    void DrawBorder();
    std::unique_ptr<QObject> events_; // frame clicks and window-system closes
    bool unloaded_ = false;
};

// The name of the desktop platform the program runs on, as the splash screen shows it.
std::string PlatformText();
