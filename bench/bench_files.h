// Large wave files made at benchmark time in the temporary folder, and a stand-in for the
// main window that names them to the views.
#pragma once

#include "platform/common_dialog.h"
#include "platform/ports.h"

#include <string>

// A 60-minute 44.1 kHz 16-bit stereo wave (about 635 MB), made once per run and removed
// when the benchmark program ends.
const std::string& SixtyMinuteStereo16();
// The same signal for two seconds (88200 frames), made once per run.
const std::string& TwoSecondStereo16();
// A header up to its format fields followed by 512 MiB of "d" bytes: the data search's worst
// case, made once per run.
const std::string& HalfGibOfD();

class BenchShell : public ShellPort {
  public:
    CommonDialog& CommonDialog1() override { return dialog; }
    void mnuOpen_Click() override {}
    void SetCaption(const std::string&) override {}
    std::string Caption() const override { return {}; }
    void SetPointer(MousePointer) override {}
    std::string ProgAdd() const override { return "."; }
    bool LineStyleChecked() const override { return true; }
    void Install() {
        InstallShell([this]() -> ShellPort& { return *this; });
    }
    CommonDialog dialog;
};
