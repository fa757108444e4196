// The main window's open dialog as the program sees it: a filter, a cancel reported as an
// error, and the file name that is the program's current wave file. The dialog starts in the
// folder of the last file the user chose in this run, the user's home folder before that.
#pragma once

#include <stdexcept>
#include <string>

class DialogCancelled : public std::runtime_error {
  public:
    DialogCancelled() : std::runtime_error("cancel was selected") {}
};

class FileDialogService;

class CommonDialog {
  public:
    // The dialog is shown through `files`.
    explicit CommonDialog(FileDialogService& files) : files_(files) {}

    std::string Filter;
    bool CancelError = false;

    const std::string& FileName() const { return fileName_; }
    // The chosen file's name without its folder; empty when the program set the name.
    const std::string& FileTitle() const { return fileTitle_; }
    // Setting the name by program leaves no file title and is no choice of the user's.
    void SetFileName(const std::string& name);
    // A file the user chose without the dialog (named on the command line, dropped on the
    // frame, recorded): name and title as if chosen in it, and the dialog's next start is its
    // folder.
    void Choose(const std::string& path);

    // Shows the open-file dialog. A choice replaces the file name and title; a cancel
    // throws DialogCancelled when CancelError is on and otherwise changes nothing.
    void ShowOpen();

  private:
    FileDialogService& files_;
    std::string fileName_;
    std::string fileTitle_;
    std::string lastFolder_; // empty until the user chooses a file
};
