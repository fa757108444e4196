// MDIForm1: the start-up demonstration. Two one-shot timers load the demonstration wave,
// select a stretch, analyse it, mark a peak on the spectrum and compare it by ear, calling the
// same operations the user's mouse and buttons call.
#include "main_window.h"

#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QScopeGuard>

#include <utility>

namespace {

const char* const kDemoFile = "/Demo.wav";

// The selection dragged on the waveform graph, twips.
constexpr float kSelectFromX = 100;
constexpr float kSelectToX = 500;
constexpr float kSelectY = 100;
// The peak marked on the spectrum picture, twips: the E of octave 4.
constexpr float kPeakX = 15160;
constexpr float kNameY = 1000;
constexpr float kMarkY = 1300;

// The longest wait for the end of the demonstration's comparison before the start file loads:
// a comparison that never starts (no file loaded) must not hold the start file back.
constexpr int kStartFileLongestWaitMs = 10000;

} // namespace

void MDIForm1::WireDemonstration() {
    Timer2.Tick = [this] { Timer2_Timer(); };
    Timer3.Tick = [this] { Timer3_Timer(); };
    StartFileTimer.Tick = [this] { StartFileTimer_Timer(); };
}

void MDIForm1::Timer2_Timer() {
    Timer2.SetEnabled(false);
    commonDialog1_.SetFileName(ProgAdd() + kDemoFile);
    SetPointer(MousePointer::Hourglass);
    Form103& wave = *wave_;
    wave.LerFileDad_3();
    SetPointer(MousePointer::Default);
    wave.Picture2_MouseDown(kLeftButton, kNoShift, kSelectFromX, kSelectY);
    wave.Picture2_MouseMove(kLeftButton, kNoShift, kSelectToX, kSelectY);
    wave.Command5_Click();
    spectrum_->Show();
    wave_->Show();
    Timer3.SetEnabled(true);
}

void MDIForm1::Timer3_Timer() {
    Timer3.SetEnabled(false);
    Form101& spectrum = *spectrum_;
    // A block "FFT" could not read leaves nothing to mark or compare: the steps do nothing, as
    // they play nothing when no file loaded, and the status line keeps saying why.
    if (spectrum.Unread().empty()) {
        spectrum.Command2_Click();
        spectrum.Picture2_MouseMove(kNoButton, kNoShift, kPeakX, kNameY);
        spectrum.Picture2_MouseDown(kLeftButton, kNoShift, kPeakX, kMarkY);
        wave_->Command9_Click();
    } else {
        // The one "Mark peak" without its instruction box was the demonstration's: the user's
        // first press gets the box.
        spectrum.FirstRun = false;
    }
    if (!startFile_.empty()) {
        startFileWaitedMs_ = 0;
        StartFileTimer.SetEnabled(true);
    }
}

void MDIForm1::StartFileTimer_Timer() {
    const bool comparing = wave_->Comparing();
    startFileWaitedMs_ += StartFileTimer.Interval();
    if (comparing && startFileWaitedMs_ < kStartFileLongestWaitMs) {
        return;
    }
    StartFileTimer.SetEnabled(false);
    causesToTerminal_ = true;
    const auto back = qScopeGuard([this] { causesToTerminal_ = false; });
    OpenFile(std::exchange(startFile_, std::string()));
}
