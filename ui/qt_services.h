// The toolkit's message boxes and open-file dialog. Both are centred over their owner, the
// program's frame, once it is given; before that over the active window.
#pragma once

#include "services.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QFileDialog;

class QtMessageBoxes : public MessageBoxService {
  public:
    void SetOwner(QWidget* owner) { owner_ = owner; }
    void Show(const std::string& text, const std::string& title, MsgIcon icon) override;
    bool Confirm(const std::string& question, const std::string& title, const std::string& confirm,
                 const std::string& refuse) override;

  private:
    QPointer<QWidget> owner_;
};

class QtFileDialog : public FileDialogService {
  public:
    void SetOwner(QWidget* owner) { owner_ = owner; }
    std::optional<std::string> GetOpenFileName(const std::string& filter,
                                               const std::string& folder) override;
    std::optional<std::string> GetSaveFileName(const std::string& filter, const std::string& folder,
                                               const std::string& suggestedName) override;

  private:
    QPointer<QWidget> owner_;
};

// The open-file dialog as QtFileDialog shows it: the filter "Description|pattern" whose pattern
// matches letters of any case (the desktop's own dialogs compare names case-sensitively), the
// description shown as written, starting in `folder` (the user's home folder when empty).
// Files the toolkit's list leaves out (names not in the locale's encoding) are listed below it
// under their readable names, and can be chosen there.
std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* owner, const std::string& filter,
                                            const std::string& folder);
// The bytes of the file chosen in an accepted dialog (see FileNameBytes); empty for none.
std::optional<std::string> ChosenFile(const QFileDialog& dialog);
