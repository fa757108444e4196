// A stand-in for the main window as the views see it: holds the open dialog, records the
// caption and counts how often the open command ran.
#pragma once

#include "platform/common_dialog.h"
#include "platform/ports.h"

#include <functional>

class TestShell : public ShellPort {
  public:
    CommonDialog& CommonDialog1() override { return dialog; }
    void mnuOpen_Click() override {
        ++openCommands;
        if (onOpen) {
            onOpen();
        }
    }
    void SetCaption(const std::string& text) override { caption = text; }
    std::string Caption() const override { return caption; }
    void SetPointer(MousePointer p) override { pointer = p; }
    std::string ProgAdd() const override { return progAdd; }
    bool LineStyleChecked() const override { return lineStyle; }

    // Makes this the main window the views talk to.
    void Install() {
        InstallShell([this]() -> ShellPort& { return *this; });
    }

    CommonDialog dialog;
    std::string caption;
    MousePointer pointer = MousePointer::Default;
    std::string progAdd = ".";
    bool lineStyle = true;
    int openCommands = 0;
    std::function<void()> onOpen;
};
