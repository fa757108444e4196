// MDIForm1: Help > Guide (F1) shows the guide page installed in the program's data folder in a
// window of the program's own.
#include "main_window.h"

#include "dialogs/guide_window.h"

#include <QAction>
#include <QMainWindow>

void MDIForm1::WireGuide() {
    OnMenu("mnuGuide", [this] { mnuGuide_Click(); });
    Item("mnuGuide")->setEnabled(true);
    // F1 works from every window of the frame, the guide's own included.
    Item("mnuGuide")->setShortcutContext(Qt::ApplicationShortcut);
}

void MDIForm1::mnuGuide_Click() {
    if (!guide_) {
        guide_ = std::make_unique<frmGuide>(ProgAdd() + "/" + kGuidePage, window_.get());
    }
    guide_->Show();
}
