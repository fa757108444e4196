// A stand-in for the frame as the waveform view sees it: holds the open dialog, records the
// caption and counts how often the open command ran.
#pragma once

#include "tests/support/doubles.h"
#include "ui/common_dialog.h"
#include "waveview/frame_port.h"

#include <functional>
#include <string>
#include <vector>

class TestShell : public FramePort {
  public:
    TestShell() : dialog(TestServices().files) {}
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
    void ShowStatus(const std::string& text) override { status.push_back(text); }
    std::string StatusText() const override { return status.empty() ? "" : status.back(); }

    CommonDialog dialog;
    std::string caption;
    MousePointer pointer = MousePointer::Default;
    std::string progAdd = ".";
    int openCommands = 0;
    std::vector<std::string> status; // every text the status line was given
    std::function<void()> onOpen;
};
