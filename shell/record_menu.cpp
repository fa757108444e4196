// MDIForm1: File > Record... records a take in the Record window and, when the user opens the
// saved take there, loads it exactly as File > Open loads a chosen file.
#include "main_window.h"

#include "dialogs/record_dialog.h"
#include "notes/note_player.h"
#include "waveview/waveform_view.h"

namespace {

// Silences every player as a take starts: the demonstration still to come, the wave player
// (its pending comparison dropped, so no note follows the stop), the comparison's note and
// the keyboard's note.
class SilenceForTake : public RecordPort {
  public:
    SilenceForTake(MDIForm1& frame, Form103& wave, NotePlayer& notes)
        : frame_(frame), wave_(wave), notes_(notes) {}

    void StopAllSound() override {
        frame_.Timer2.SetEnabled(false);
        frame_.Timer3.SetEnabled(false);
        wave_.StopForRecording();
        notes_.Release();
    }

  private:
    MDIForm1& frame_;
    Form103& wave_;
    NotePlayer& notes_;
};

} // namespace

void MDIForm1::mnuRecord_Click() {
    if (!wave_) {
        return;
    }
    SilenceForTake silence(*this, *wave_, notes_);
    RecordDialog dialog(silence, services_, RecordingsFolder(), window_.get());
    const std::optional<std::string> take = dialog.Run();
    if (!take) {
        return;
    }
    commonDialog1_.Choose(*take);
    LoadChosenFile();
}
