#include "guide_window.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr const char* kTitle = "Tonvexa Guide";
constexpr int kWidthPx = 640;
constexpr int kHeightPx = 720;
constexpr double kPagePoints = 10; // larger than the program's 8-point labels: a page to read

} // namespace

frmGuide::frmGuide(const std::string& pagePath, QWidget* owner)
    : window_(std::make_unique<QDialog>(owner)) {
    window_->setWindowTitle(kTitle);
    window_->setModal(false);
    window_->resize(kWidthPx, kHeightPx);
    auto* layout = new QVBoxLayout(window_.get());
    page_ = new QTextBrowser(window_.get());
    page_->setAccessibleName("Guide");
    QFont font = page_->font();
    font.setPointSizeF(kPagePoints);
    page_->setFont(font);
    // Links inside the page move within it; nothing is handed to a web browser.
    page_->setOpenExternalLinks(false);
    page_->setOpenLinks(true);
    layout->addWidget(page_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window_.get());
    QObject::connect(buttons, &QDialogButtonBox::rejected, window_.get(), &QDialog::hide);
    layout->addWidget(buttons);

    const QString path = QString::fromStdString(pagePath);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        page_->document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath() + "/"));
        page_->setHtml(QString::fromUtf8(file.readAll()));
    } else {
        page_->setPlainText(QString("The guide cannot be shown: %1 cannot be read (%2).")
                                .arg(path, file.errorString()));
    }
}

frmGuide::~frmGuide() = default;

void frmGuide::Show() {
    window_->show();
    window_->raise();
    window_->activateWindow();
}

bool frmGuide::Visible() const {
    return window_->isVisible();
}
