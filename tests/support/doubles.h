// Recording doubles of the desktop services, so tests never block on a modal window.
#pragma once

#include "ui/services.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ShownMessage {
    std::string text;
    std::string title;
    MsgIcon icon;
};

class RecordingMessages : public MessageBoxService {
  public:
    void Show(const std::string& text, const std::string& title, MsgIcon icon) override;
    // Records the question and answers from `confirmAnswers` in order; with none left, the
    // refusal (the safe answer, as the desktop's default button).
    bool Confirm(const std::string& question, const std::string& title, const std::string& confirm,
                 const std::string& refuse) override;
    std::vector<ShownMessage> shown;
    std::vector<ShownMessage> questions; // icon None
    std::deque<bool> confirmAnswers;
    // Runs while a box is "on screen" (to look at the state behind it).
    std::function<void(const ShownMessage&)> onShow;
};

class ScriptedFileDialog : public FileDialogService {
  public:
    std::optional<std::string> GetOpenFileName(const std::string& filter,
                                               const std::string& folder) override;
    // Answers in order; an empty optional is a cancel. With no answers left: cancel.
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> filters; // one per time the dialog was shown
    std::vector<std::string> folders; // the folder it started in, each time

    // The save dialog answers from its own list, in the same way, and records each time.
    std::optional<std::string> GetSaveFileName(const std::string& filter, const std::string& folder,
                                               const std::string& suggestedName) override;
    std::deque<std::optional<std::string>> saveAnswers;
    struct SaveRequest {
        std::string filter, folder, suggestedName;
    };
    std::vector<SaveRequest> saves;
};

class CountingBeep : public BeepService {
  public:
    void Beep() override { ++count; }
    int count = 0;
};

class RecordingScreen : public ScreenPointerService {
  public:
    void Set(MousePointer p) override;
    MousePointer Get() const override { return current; }
    MousePointer current = MousePointer::Default;
    std::vector<MousePointer> history;
};

// All four doubles; services is what the windows are handed, Reset() empties the records.
struct RecordingServices {
    RecordingMessages messages;
    ScriptedFileDialog files;
    CountingBeep beep;
    RecordingScreen screen;
    Services services{&messages, &files, &beep, &screen};
    // Makes these the doubles TestServices() answers.
    void Install();
    void Reset();
};

// The doubles the test program's main made.
RecordingServices& TestServices();
