// What the waveform view asks of the frame that holds it: the open dialog whose file name is
// the current wave file, the frame's caption, pointer and status line, the open command, the
// program folder.
#pragma once

#include "ui/status_line.h"
#include "ui/twips.h"

#include <string>

class CommonDialog;

class FramePort : public StatusLine {
  public:
    virtual ~FramePort() = default;
    virtual CommonDialog& CommonDialog1() = 0;
    // File > Open: the dialog again, and the chosen file loaded.
    virtual void mnuOpen_Click() = 0;
    virtual void SetCaption(const std::string& text) = 0;
    virtual std::string Caption() const = 0;
    virtual void SetPointer(MousePointer p) = 0;
    virtual std::string ProgAdd() const = 0;
    // Why a file could not be loaded ("Cannot open song.flac: not a RIFF/WAVE file"): on the
    // status line; the frame may tell it elsewhere too.
    virtual void ShowCause(const std::string& text) { ShowStatus(text); }
};
