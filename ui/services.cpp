#include "services.h"

#include "qt_services.h"

#include "base/file_names.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <memory>

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

// The property of a dialog that holds the bytes of a file chosen in its list of unlisted names.
constexpr char kChosenBytes[] = "tonvexaChosenBytes";

// The files of `folder` that the toolkit's own list leaves out, because their names are not in
// the locale's encoding, and that one of `patterns` matches (as their names are shown): the
// shown name and the path's bytes, sorted by the shown name.
std::vector<std::pair<QString, QByteArray>> UnlistedFiles(const QString& folder,
                                                          const QStringList& patterns) {
    std::vector<std::pair<QString, QByteArray>> found;
    const std::string bytes = FileNameBytes(folder);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(bytes.c_str()), closedir);
    if (!dir) {
        return found;
    }
    std::vector<QRegularExpression> matchers;
    for (const QString& pattern : patterns) {
        matchers.emplace_back(QRegularExpression::wildcardToRegularExpression(pattern),
                              QRegularExpression::CaseInsensitiveOption);
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (ReadableFileName(name) == name) {
            continue; // the toolkit lists it
        }
        const std::string path = bytes + (bytes.ends_with('/') ? "" : "/") + name;
        struct stat info;
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            continue;
        }
        const QString shown = ReadableText(name);
        const bool matches =
            matchers.empty() || std::any_of(matchers.begin(), matchers.end(),
                                            [&](auto& m) { return m.match(shown).hasMatch(); });
        if (matches) {
            found.emplace_back(shown, QByteArray(path.data(), static_cast<qsizetype>(path.size())));
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Below the toolkit's file list: the files of the folder on show whose names the list cannot
// show, named as readably as they can be. Choosing one (double click or Enter) ends the dialog
// with that file. Shown only when there are such files, and only in the toolkit's own dialog
// (a desktop's dialog lists them itself).
class UnlistedNames : public QObject {
  public:
    explicit UnlistedNames(QFileDialog& dialog) : QObject(&dialog), dialog_(dialog) {
        dialog.installEventFilter(this);
        connect(&dialog, &QFileDialog::directoryEntered, this, [this] { Refresh(); });
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &dialog_ && event->type() == QEvent::Show) {
            Attach();
            Refresh();
        }
        return false;
    }

  private:
    void Attach() {
        auto* grid = qobject_cast<QGridLayout*>(dialog_.layout());
        if (list_ || !grid) {
            return;
        }
        label_ = new QLabel("Files whose names the list above cannot show (double-click to open):",
                            &dialog_);
        list_ = new QListWidget(&dialog_);
        list_->setObjectName("unlistedNames");
        list_->setMaximumHeight(list_->fontMetrics().height() * 5);
        label_->setBuddy(list_);
        const int row = grid->rowCount();
        grid->addWidget(label_, row, 0, 1, grid->columnCount());
        grid->addWidget(list_, row + 1, 0, 1, grid->columnCount());
        connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
            dialog_.setProperty(kChosenBytes, item->data(Qt::UserRole));
            static_cast<QDialog&>(dialog_).done(QDialog::Accepted);
        });
    }

    void Refresh() {
        if (!list_) {
            return;
        }
        list_->clear();
        QStringList patterns;
        static const QRegularExpression inParentheses(R"(\(([^)]*)\))");
        if (const auto m = inParentheses.match(dialog_.selectedNameFilter()); m.hasMatch()) {
            patterns = m.captured(1).split(' ', Qt::SkipEmptyParts);
        }
        for (const auto& [shown, bytes] :
             UnlistedFiles(dialog_.directory().absolutePath(), patterns)) {
            auto* item = new QListWidgetItem(shown, list_);
            item->setData(Qt::UserRole, bytes);
        }
        label_->setVisible(list_->count() > 0);
        list_->setVisible(list_->count() > 0);
    }

    QFileDialog& dialog_;
    QLabel* label_ = nullptr;
    QListWidget* list_ = nullptr;
};

} // namespace

std::optional<std::string> ChosenFile(const QFileDialog& dialog) {
    if (const QVariant bytes = dialog.property(kChosenBytes); bytes.isValid()) {
        const QByteArray path = bytes.toByteArray();
        return std::string(path.constData(), static_cast<std::size_t>(path.size()));
    }
    if (dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString file = dialog.selectedFiles().constFirst();
    // A desktop's dialog may hand over bytes that are not in the locale's encoding in a URL,
    // escaped, where the name as text has lost them.
    if (const QList<QUrl> urls = dialog.selectedUrls();
        file.contains(QChar::ReplacementCharacter) && !urls.isEmpty()) {
        if (std::string path = LocalFileBytes(urls.constFirst()); !path.empty()) {
            return path;
        }
    }
    return FileNameBytes(file);
}

void QtMessageBoxes::Show(const std::string& text, const std::string& title, MsgIcon icon) {
    QMessageBox box(OwnerOrActive(owner_));
    box.setWindowTitle(QString::fromStdString(title));
    // The program's texts break lines with CR LF; the toolkit wants LF alone.
    box.setText(ReadableText(text).replace("\r\n", "\n"));
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

namespace {

// The dialog both the open and the save dialog start from.
std::unique_ptr<QFileDialog> MakeFileDialog(QWidget* owner, const std::string& filter,
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

} // namespace

std::unique_ptr<QFileDialog> MakeOpenDialog(QWidget* owner, const std::string& filter,
                                            const std::string& folder) {
    auto dialog = MakeFileDialog(owner, filter, folder);
    new UnlistedNames(*dialog);
    return dialog;
}

std::optional<std::string> QtFileDialog::GetOpenFileName(const std::string& filter,
                                                         const std::string& folder) {
    const auto dialog = MakeOpenDialog(OwnerOrActive(owner_), filter, folder);
    if (dialog->exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return ChosenFile(*dialog);
}

std::optional<std::string> QtFileDialog::GetSaveFileName(const std::string& filter,
                                                         const std::string& folder,
                                                         const std::string& suggestedName) {
    const auto dialog = MakeFileDialog(OwnerOrActive(owner_), filter, folder);
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
    if (dialog->exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return ChosenFile(*dialog);
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
