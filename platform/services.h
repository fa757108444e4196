// The desktop services the program uses, one small interface each: message boxes, the
// open-file dialog, the beep and the screen's mouse pointer. The program installs the
// toolkit's implementations; tests install recording doubles so nothing blocks.
#pragma once

#include "twips.h"

#include <optional>
#include <string>

enum class MsgIcon { None, Information, Exclamation, Critical };

class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    // Shows a modal box with an OK button and returns when it is closed.
    virtual void Show(const std::string& text, const std::string& title, MsgIcon icon) = 0;
};

class FileDialogService {
  public:
    virtual ~FileDialogService() = default;
    // Shows the open-file dialog with a filter "Description|pattern", starting in `folder` (the
    // user's home folder when empty); the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> GetOpenFileName(const std::string& filter,
                                                       const std::string& folder) = 0;
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

// The services in use; the toolkit's own until InstallServices replaces them.
Services& Platform();
class QWidget;
// Centres the toolkit's message boxes and open dialog over `owner` (the program's frame).
void SetDialogOwner(QWidget* owner);
// Replaces the services (fields left null keep the current ones). Returns the previous set.
Services InstallServices(const Services& s);

// The program's title and version, and the folder it runs from.
std::string AppTitle();
int AppMajor();
int AppMinor();
std::string AppPath();
// Makes AppPath answer `folder` (tests run the program on a copy of its files); empty restores
// the executable's folder.
void SetAppPath(const std::string& folder);

// Joins lines of a message text the way the program's boxes do (carriage return + line feed).
std::string JoinLines(std::initializer_list<std::string> lines);
