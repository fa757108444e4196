// The About box: the program's name, version and purpose, and a button that starts the
// desktop's system-information tool. Modeless, and there is only one.
#pragma once

#include "ui/control_widgets.h"
#include "ui/form.h"
#include "vector_picture.h"

#include <string>

// The description the About box shows.
inline constexpr const char* kAboutDescription =
    "This program demonstrates how Fourier Transform can be used to analyse complex sound "
    "waves. It works exclusively with *.wav files.";

// The message shown when the system-information tool cannot be found or started.
inline constexpr const char* kSysInfoUnavailable = "System Information Is Unavailable At This Time";

class ProgramLauncher;
class Registry;
struct Services;

class frmAbout : public Form {
  public:
    // Builds the window and its controls and runs its load; the box stays hidden. The
    // system-information tool is looked up in `registry` and started by `launcher`.
    frmAbout(Services& services, Registry& registry, ProgramLauncher& launcher);

    // Shows the box without blocking the other windows, or brings it to the front.
    void Show();

    void Form_Load();
    // "OK": closes (hides) the box.
    void cmdOK_Click();
    void cmdSysInfo_Click();
    // Looks the system-information tool up and starts it, or tells the user it is
    // unavailable.
    void StartSysInfo();

    VectorPicture picIcon;
    Label lblTitle;
    Label lblVersion;
    Label lblDescription;
    Label lblDisclaimer;
    LineControl Line1[2]; // the etched separator: [0] white, two pixels; [1] grey on top
    CommandButton cmdOK;
    CommandButton cmdSysInfo;

  private:
    void Form_KeyDown(int key);

    Services& services_;
    Registry& registry_;
    ProgramLauncher& launcher_;
};
