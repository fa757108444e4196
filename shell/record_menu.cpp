// MDIForm1: File > Record... records a take in the Record window and loads the written file
// exactly as File > Open loads a chosen one.
#include "main_window.h"

#include "dialogs/record_dialog.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

namespace {

// Silences every player as a take starts: the demonstration still to come, the wave player
// (its pending comparison dropped, so no note follows the stop), the comparison's note and
// the keyboard's note.
class SilenceForTake : public RecordPort {
  public:
    SilenceForTake(MDIForm1& frame, Form103& wave, Form101& spectrum)
        : frame_(frame), wave_(wave), spectrum_(spectrum) {}

    void StopAllSound() override {
        frame_.Timer2.SetEnabled(false);
        frame_.Timer3.SetEnabled(false);
        wave_.CompareArmed = false;
        if (!wave_.PlayIdle) {
            wave_.Command3_Click();
        }
        if (wave_.Timer1.Enabled()) {
            wave_.Timer1_Timer();
        }
        spectrum_.Image1_MouseUp(0, 0, 0, 0);
    }

  private:
    MDIForm1& frame_;
    Form103& wave_;
    Form101& spectrum_;
};

} // namespace

void MDIForm1::mnuRecord_Click() {
    SilenceForTake silence(*this, TheForm103(), TheForm101());
    RecordDialog dialog(silence, RecordingsFolder(), window_.get());
    const std::optional<std::string> take = dialog.Run();
    if (!take) {
        return;
    }
    try {
        commonDialog1_.Choose(*take);
        LoadChosenFile();
    } catch (...) {
        // As after the open dialog: an error ends the command quietly.
    }
}
