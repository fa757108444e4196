// Form103: "Compare FFT". The selection plays through the wave player; when that play ends
// the note nearest the spectrum's peak mark sounds on its keyboard, and the note timer Timer1
// stops it after about the selection's duration.
#include "compare_rules.h"
#include "waveform_view.h"

#include "analysis_port.h"
#include "base/numbers.h"
#include "ui/services.h"

void Form103::WireCompare() {
    Command9.Click = [this] { Command9_Click(); };
    Timer1.Tick = [this] { Timer1_Timer(); };
}

void Form103::Command9_Click() {
    Picture1.SetFocus();
    Command9.SetEnabled(false);
    if (analysis_.MarkedPeak()) {
        CompareArmed = true;
        Command1_Click();
    } else {
        services_.messages->Show(
            JoinLines({"Cannot compare without a marked peak.", "Please mark a peak on the Fourier",
                       "Transform graph."}),
            "Please mark a peak!", MsgIcon::Information);
        Command9.SetEnabled(true);
    }
}

void Form103::CompareStep() {
    CompareArmed = false;
    const float x = analysis_.XMark();
    // Names the note at the mark (its nearest semitone becomes the key), then plays that key.
    analysis_.NameNoteAt(x);
    analysis_.SoundNamedNote();
    std::int32_t ms = kCompareNoteMaxMs;
    try {
        ms = CompareNoteMs(SelTime().Caption());
    } catch (const num::NumberError&) {
        // A selection text that is no number: the longest note.
    }
    Timer1.SetInterval(ms);
    Timer1.SetEnabled(true);
}

void Form103::StopForRecording() {
    CompareArmed = false;
    if (!PlayIdle) {
        Command3_Click();
    }
    if (Timer1.Enabled()) {
        Timer1_Timer();
    }
}

void Form103::Timer1_Timer() {
    Timer1.SetEnabled(false);
    analysis_.StopNote();
    Command9.SetEnabled(true);
}
