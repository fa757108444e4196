// A stand-in for the frame as the views see it: holds the open dialog, records the caption and
// counts how often the open command ran; answers the spectrum style check mark.
#pragma once

#include "ui/common_dialog.h"
#include "spectrum/graph_style_port.h"
#include "tests/support/doubles.h"
#include "waveview/frame_port.h"

#include <functional>

class TestShell : public FramePort, public GraphStylePort {
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
    bool LineStyleChecked() const override { return lineStyle; }

    CommonDialog dialog;
    std::string caption;
    MousePointer pointer = MousePointer::Default;
    std::string progAdd = ".";
    bool lineStyle = true;
    int openCommands = 0;
    std::function<void()> onOpen;
};
