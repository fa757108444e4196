// The desktop services the program uses, one small interface each: message boxes and
// questions, the open- and save-file dialogs, the beep and the screen's mouse pointer. The program
// installs the toolkit's implementations; tests install recording doubles so nothing blocks.
#pragma once

#include "twips.h"

#include <memory>
#include <optional>
#include <string>

enum class MsgIcon { None, Information, Exclamation, Critical };

class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    // Shows a modal box with an OK button and returns when it is closed.
    virtual void Show(const std::string& text, const std::string& title, MsgIcon icon) = 0;
    // Asks a question with two buttons, `confirm` ("&Discard") and `refuse` ("&Keep"), the
    // second the default and Escape's; true when the first is pressed.
    virtual bool Confirm(const std::string& question, const std::string& title,
                         const std::string& confirm, const std::string& refuse) = 0;
};

class FileDialogService {
  public:
    virtual ~FileDialogService() = default;
    // Shows the open-file dialog with a filter "Description|pattern", starting in `folder` (the
    // user's home folder when empty); the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> GetOpenFileName(const std::string& filter,
                                                       const std::string& folder) = 0;
    // Shows the save-file dialog with the same filter, in `folder` (home when empty), the name
    // `suggestedName` filled in. The chosen full path, or nothing when cancelled. It does not
    // ask about an existing file: the caller, who may write more than the one file, asks.
    virtual std::optional<std::string> GetSaveFileName(const std::string& filter,
                                                       const std::string& folder,
                                                       const std::string& suggestedName) = 0;
};

class BeepService {
  public:
    virtual ~BeepService() = default;
    virtual void Beep() = 0;
};

class ScreenPointerService {
  public:
    virtual ~ScreenPointerService() = default;
    virtual void Set(MousePointer p) = 0;
    virtual MousePointer Get() const = 0;
};

struct Services {
    MessageBoxService* messages = nullptr;
    FileDialogService* files = nullptr;
    BeepService* beep = nullptr;
    ScreenPointerService* screen = nullptr;
};

class QWidget;
class QtFileDialog;
class QtMessageBoxes;

// The toolkit's own services, owned by whoever builds the program and handed to each window.
class DesktopServices {
  public:
    DesktopServices();
    ~DesktopServices();
    DesktopServices(const DesktopServices&) = delete;
    DesktopServices& operator=(const DesktopServices&) = delete;
    Services& Get() { return services_; }
    // Centres the message boxes and the open dialog over `owner` (the program's frame); with
    // none, over the active window.
    void SetDialogOwner(QWidget* owner);

  private:
    std::unique_ptr<QtMessageBoxes> messages_;
    std::unique_ptr<QtFileDialog> files_;
    std::unique_ptr<BeepService> beep_;
    std::unique_ptr<ScreenPointerService> screen_;
    Services services_;
};

// The program's title and version, and its read-only data folder: share/tonvexa/ beside the
// executable's bin/ when installed, the executable's own folder in the build tree.
std::string AppTitle();
int AppMajor();
int AppMinor();
// The program's read-only data folder (the demonstration wave, the note-file templates).
std::string AppPath();

// Joins lines of a message text the way the program's boxes do (carriage return + line feed).
std::string JoinLines(std::initializer_list<std::string> lines);
