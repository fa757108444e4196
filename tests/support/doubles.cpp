#include "doubles.h"

namespace {
RecordingServices* g_installed = nullptr;
}

void RecordingMessages::Show(const std::string& text, const std::string& title, MsgIcon icon) {
    shown.push_back({text, title, icon});
    if (onShow) {
        onShow(shown.back());
    }
}

std::optional<std::string> ScriptedFileDialog::GetOpenFileName(const std::string& filter,
                                                               const std::string& folder) {
    filters.push_back(filter);
    folders.push_back(folder);
    if (answers.empty()) {
        return std::nullopt;
    }
    auto answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingScreen::Set(MousePointer p) {
    current = p;
    history.push_back(p);
}

void RecordingServices::Install() {
    g_installed = this;
}

void RecordingServices::Reset() {
    messages.shown.clear();
    messages.onShow = nullptr;
    files.answers.clear();
    files.filters.clear();
    files.folders.clear();
    beep.count = 0;
    screen.current = MousePointer::Default;
    screen.history.clear();
}

RecordingServices& TestServices() {
    return *g_installed;
}
