#include "services.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#ifndef TONVEXA_VERSION_MAJOR
#define TONVEXA_VERSION_MAJOR 1
#define TONVEXA_VERSION_MINOR 0
#endif
#ifndef TONVEXA_DATA_FROM_BIN
#define TONVEXA_DATA_FROM_BIN "../share/tonvexa"
#endif

namespace {

class QtMessageBoxes : public MessageBoxService {
  public:
    void Show(const std::string& text, const std::string& title, MsgIcon icon) override {
        QMessageBox box(QApplication::activeWindow());
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
};

class QtFileDialog : public FileDialogService {
  public:
    std::optional<std::string> GetOpenFileName(const std::string& filter) override {
        // "Description|pattern" becomes the toolkit's "Description (pattern)".
        const auto bar = filter.find('|');
        QString qtFilter = QString::fromStdString(filter);
        if (bar != std::string::npos) {
            const std::string description = filter.substr(0, bar);
            const std::string pattern = filter.substr(bar + 1);
            qtFilter = QString::fromStdString(description.find(pattern) != std::string::npos
                                                  ? description
                                                  : description + " (" + pattern + ")");
        }
        const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                          QString(), qtFilter);
        if (name.isEmpty()) {
            return std::nullopt;
        }
        return name.toStdString();
    }
};

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
