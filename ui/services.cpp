#include "services.h"

#include "qt_services.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <cctype>

#ifndef TONVEXA_VERSION_MAJOR
#define TONVEXA_VERSION_MAJOR 1
#define TONVEXA_VERSION_MINOR 0
#endif
#ifndef TONVEXA_DATA_FROM_BIN
#define TONVEXA_DATA_FROM_BIN "../share/tonvexa"
#endif

namespace {

// The widget the dialogs are centred over: the owner while it lives, else the active window.
QWidget* OwnerOrActive(const QPointer<QWidget>& owner) {
    return owner ? owner.data() : QApplication::activeWindow();
}

// "*.wav" -> "*.[wW][aA][vV]": each letter matches either case, the rest stays as written.
std::string AnyCasePattern(const std::string& pattern) {
    std::string out;
    for (const char c : pattern) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalpha(u)) {
            out += '[';
            out += static_cast<char>(std::tolower(u));
            out += static_cast<char>(std::toupper(u));
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

void QtMessageBoxes::Show(const std::string& text, const std::string& title, MsgIcon icon) {
    QMessageBox box(OwnerOrActive(owner_));
    box.setWindowTitle(QString::fromStdString(title));
    // The program's texts break lines with CR LF; the toolkit wants LF alone.
    box.setText(QString::fromStdString(text).replace("\r\n", "\n"));
    box.setIcon(icon == MsgIcon::Information   ? QMessageBox::Information
                : icon == MsgIcon::Exclamation ? QMessageBox::Warning
                : icon == MsgIcon::Critical    ? QMessageBox::Critical
                                               : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

bool QtMessageBoxes::Confirm(const std::string& question, const std::string& title,
                             const std::string& confirm, const std::string& refuse) {
    QMessageBox box(OwnerOrActive(owner_));
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(question));
    box.setIcon(QMessageBox::Question);
    QPushButton* yes = box.addButton(QString::fromStdString(confirm), QMessageBox::DestructiveRole);
    QPushButton* no = box.addButton(QString::fromStdString(refuse), QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* owner, const std::string& filter,
                                            const std::string& folder) {
    // "Description|pattern" becomes the toolkit's "Description (pattern)". The any-case pattern
    // goes last, where the toolkit takes the patterns from, and is hidden from view, so the
    // list reads as the description.
    const auto bar = filter.find('|');
    const std::string description = filter.substr(0, bar);
    const std::string pattern = bar == std::string::npos ? "*" : filter.substr(bar + 1);
    const QString qtFilter =
        QString::fromStdString(description + " (" + AnyCasePattern(pattern) + ")");
    const QString start = folder.empty() ? QDir::homePath() : QString::fromStdString(folder);
    auto dialog = std::make_unique<QFileDialog>(owner, QString(), start, qtFilter);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    return dialog;
}

std::optional<std::string> QtFileDialog::GetOpenFileName(const std::string& filter,
                                                         const std::string& folder) {
    const auto dialog = MakeOpenDialog(OwnerOrActive(owner_), filter, folder);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().constFirst().toStdString();
}

std::optional<std::string> QtFileDialog::GetSaveFileName(const std::string& filter,
                                                         const std::string& folder,
                                                         const std::string& suggestedName) {
    const auto dialog = MakeOpenDialog(OwnerOrActive(owner_), filter, folder);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    // One pattern "*.wav" gives a name typed without it the ".wav".
    const auto bar = filter.find('|');
    const QString pattern =
        QString::fromStdString(bar == std::string::npos ? "" : filter.substr(bar + 1));
    static const QRegularExpression oneSuffix(R"(^\*\.(\w+)$)");
    if (const QRegularExpressionMatch m = oneSuffix.match(pattern); m.hasMatch()) {
        dialog->setDefaultSuffix(m.captured(1));
    }
    dialog->selectFile(QString::fromStdString(suggestedName));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog->selectedFiles().constFirst().toStdString();
}

namespace {

class QtBeep : public BeepService {
  public:
    void Beep() override { QApplication::beep(); }
};

class QtScreenPointer : public ScreenPointerService {
  public:
    void Set(MousePointer p) override {
        while (QApplication::overrideCursor()) {
            QApplication::restoreOverrideCursor();
        }
        if (p == MousePointer::Hourglass) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else if (p == MousePointer::SizeWE) {
            QApplication::setOverrideCursor(Qt::SizeHorCursor);
        }
        current_ = p;
    }
    MousePointer Get() const override { return current_; }

  private:
    MousePointer current_ = MousePointer::Default;
};

} // namespace

DesktopServices::DesktopServices()
    : messages_(std::make_unique<QtMessageBoxes>()), files_(std::make_unique<QtFileDialog>()),
      beep_(std::make_unique<QtBeep>()),
      screen_(std::make_unique<QtScreenPointer>()), services_{messages_.get(), files_.get(),
                                                              beep_.get(), screen_.get()} {}

DesktopServices::~DesktopServices() = default;

void DesktopServices::SetDialogOwner(QWidget* owner) {
    messages_->SetOwner(owner);
    files_->SetOwner(owner);
}

std::string AppTitle() {
    return "Tonvexa";
}
int AppMajor() {
    return TONVEXA_VERSION_MAJOR;
}
int AppMinor() {
    return TONVEXA_VERSION_MINOR;
}

std::string AppPath() {
    if (!QCoreApplication::instance()) {
        return ".";
    }
    // Installed, the files lie in the data folder at a fixed place relative to the executable
    // (bin/ -> share/tonvexa/), wherever the tree was installed or moved to; in the build tree
    // they are copied beside the executable.
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString installed = QDir::cleanPath(exeDir + "/" TONVEXA_DATA_FROM_BIN);
    return (QFileInfo(installed).isDir() ? installed : exeDir).toStdString();
}

std::string JoinLines(std::initializer_list<std::string> lines) {
    std::string out;
    for (const auto& line : lines) {
        if (!out.empty()) {
            out += "\r\n";
        }
        out += line;
    }
    return out;
}
