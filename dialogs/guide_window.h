// The guide: one page of help, installed with the program as an HTML file in its data folder,
// shown in a window of the program's own (no web browser). Modeless, and there is only one.
#pragma once

#include <memory>
#include <string>

class QDialog;
class QTextBrowser;
class QWidget;

// The guide page's file name in the program's data folder.
inline constexpr const char* kGuidePage = "guide.html";

class frmGuide {
  public:
    // The window over `owner`, showing the page `pagePath`; a page that cannot be read is
    // reported in the window itself.
    frmGuide(const std::string& pagePath, QWidget* owner);
    ~frmGuide();
    frmGuide(const frmGuide&) = delete;
    frmGuide& operator=(const frmGuide&) = delete;

    // Shows the guide without blocking the other windows, or brings it to the front.
    void Show();
    bool Visible() const;
    QDialog& Window() const { return *window_; }
    QTextBrowser& Page() const { return *page_; }

  private:
    std::unique_ptr<QDialog> window_;
    QTextBrowser* page_ = nullptr;
};
