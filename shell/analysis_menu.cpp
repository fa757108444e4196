// MDIForm1: the Analysis menu. It holds everything the program adds to the described
// analysis, in a fixed order so that each feature finds its place and keyboard users and tests
// can count on it. Every start begins with "Rectangular" and "No zero padding" checked.
#include "live_analysis.h"
#include "main_window.h"

#include "spectrum/analysis_window.h"
#include "spectrum/spectrum_view.h"

#include <QAction>
#include <QActionGroup>
#include <QKeySequence>
#include <QMenu>

#include <iterator>
#include <string>
#include <vector>

namespace {

// The menu names of the windows, in menu order (the captions are the windows' own).
constexpr const char* kWindowItems[] = {"mnuRectangular", "mnuHann", "mnuHamming",
                                        "mnuBlackmanHarris", "mnuFlatTop"};
struct PaddingItem {
    const char* name;
    const char* caption;
    int factor;
};
constexpr PaddingItem kPaddingItems[] = {{"mnuNoPadding", "No zero padding", 1},
                                         {"mnuPadding2", "Zero padding x 2", 2},
                                         {"mnuPadding4", "Zero padding x 4", 4},
                                         {"mnuPadding8", "Zero padding x 8", 8}};

} // namespace

void MDIForm1::BuildAnalysisMenu(QMenu& analysis) {
    auto add = [&](const std::string& name, const QString& caption, QKeySequence keys = {}) {
        QAction* a = analysis.addAction(caption);
        a->setShortcut(keys);
        items_[name] = a;
        return a;
    };
    auto separator = [&](const std::string& name) { items_[name] = analysis.addSeparator(); };
    // One checked item of a group at a time.
    auto exclusive = [&](QAction* a, QActionGroup* group) {
        a->setCheckable(true);
        group->addAction(a);
    };

    auto* windows = new QActionGroup(&analysis);
    const auto all = AnalysisWindows();
    for (std::size_t i = 0; i < all.size(); ++i) {
        exclusive(add(kWindowItems[i], QString::fromStdString(WindowCaption(all[i]))), windows);
    }
    items_["mnuRectangular"]->setChecked(true);
    separator("mnuAnalysisSep1");

    auto* padding = new QActionGroup(&analysis);
    for (const PaddingItem& p : kPaddingItems) {
        exclusive(add(p.name, p.caption), padding);
    }
    items_["mnuNoPadding"]->setChecked(true);
    separator("mnuAnalysisSep2");

    add("mnuFreeze", "Freeze spectrum", QKeySequence(Qt::CTRL | Qt::Key_F));
    add("mnuClearFrozen", "Clear frozen spectrum");
    separator("mnuAnalysisSep3");

    add("mnuHarmonicsTable", "Harmonics table...", QKeySequence(Qt::CTRL | Qt::Key_H));
    add("mnuFitComb", "Fit comb to nearest peak", QKeySequence(Qt::CTRL | Qt::Key_G));
    add("mnuPlayHarmonics", "Play harmonics", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    separator("mnuAnalysisSep4");

    add("mnuFollowPlayback", "Follow playback", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F))
        ->setCheckable(true);
    add("mnuListen", "Listen", QKeySequence(Qt::CTRL | Qt::Key_L));
    add("mnuKeepLast", "Keep the last seconds");

    // Items are switched on as their commands are wired.
    for (QAction* a : analysis.actions()) {
        if (!a->isSeparator()) {
            a->setEnabled(false);
        }
    }
    WireAnalysisSettings();
    WireHarmonicsMenu();
    WireLiveAnalysis();
}

void MDIForm1::WireAnalysisSettings() {
    std::vector<std::string> names(std::begin(kWindowItems), std::end(kWindowItems));
    for (const PaddingItem& p : kPaddingItems) {
        names.emplace_back(p.name);
    }
    // The group has already moved the check mark when the command runs.
    for (const std::string& name : names) {
        OnMenu(name, [this] { ChooseAnalysis(); });
    }
    OnMenu("mnuFreeze", [this] {
        if (spectrum_) {
            spectrum_->FreezeSpectrum();
        }
    });
    OnMenu("mnuClearFrozen", [this] {
        if (spectrum_) {
            spectrum_->ClearFrozen();
        }
    });
    names.insert(names.end(), {"mnuFreeze", "mnuClearFrozen"});
    for (const std::string& name : names) {
        Item(name)->setEnabled(true);
    }
}

AnalysisSettings MDIForm1::CheckedAnalysis() const {
    AnalysisSettings s;
    const auto windows = AnalysisWindows();
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (Item(kWindowItems[i])->isChecked()) {
            s.window = windows[i];
        }
    }
    for (const PaddingItem& p : kPaddingItems) {
        if (Item(p.name)->isChecked()) {
            s.padding = p.factor;
        }
    }
    return s;
}

void MDIForm1::ChooseAnalysis() {
    if (spectrum_) {
        spectrum_->SetAnalysis(CheckedAnalysis());
    }
}

void MDIForm1::WireLiveAnalysis() {
    OnMenu("mnuFollowPlayback", [this] {
        if (live_) {
            live_->SetFollow(Item("mnuFollowPlayback")->isChecked());
        }
    });
    OnMenu("mnuListen", [this] {
        if (live_) {
            live_->Listen_Click();
        }
    });
    OnMenu("mnuKeepLast", [this] {
        if (live_) {
            live_->Keep_Click();
        }
    });
    Item("mnuFollowPlayback")->setEnabled(true);
    Item("mnuListen")->setEnabled(true);
    // "Keep the last seconds" only while listening.
}

void MDIForm1::AttachLive(LiveAnalysis& live) {
    live_ = &live;
    live.ListeningChanged = [this](bool on) { Item("mnuKeepLast")->setEnabled(on); };
}
