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

bool RecordingMessages::Confirm(const std::string& question, const std::string& title,
                                const std::string&, const std::string&) {
    questions.push_back({question, title, MsgIcon::None});
    if (confirmAnswers.empty()) {
        return false;
    }
    const bool answer = confirmAnswers.front();
    confirmAnswers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedFileDialog::GetSaveFileName(const std::string& filter,
                                                               const std::string& folder,
                                                               const std::string& suggestedName) {
    saves.push_back({filter, folder, suggestedName});
    if (saveAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
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
    messages.questions.clear();
    messages.confirmAnswers.clear();
    files.answers.clear();
    files.filters.clear();
    files.folders.clear();
    files.saveAnswers.clear();
    files.saves.clear();
    beep.count = 0;
    screen.current = MousePointer::Default;
    screen.history.clear();
}

RecordingServices& TestServices() {
    return *g_installed;
}
