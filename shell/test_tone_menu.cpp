// MDIForm1: File > New test tone... writes a tone beside the recordings and loads it exactly as
// File > Open loads a chosen file.
#include "main_window.h"

#include "base/numbers.h"
#include "dialogs/record_dialog.h"
#include "dialogs/test_tone_dialog.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QAction>

void MDIForm1::WireTestToneMenu() {
    OnMenu("mnuTestTone", [this] { mnuTestTone_Click(); });
    Item("mnuTestTone")->setEnabled(true);
}

void MDIForm1::mnuTestTone_Click() {
    if (!wave_) {
        return;
    }
    TestToneDialog dialog(RecordingsFolder().path, TestTonePoints(), window_.get());
    const std::optional<std::string> tone = dialog.Run();
    if (!tone) {
        return;
    }
    commonDialog1_.Choose(*tone);
    LoadChosenFile();
}

std::int32_t MDIForm1::TestTonePoints() const {
    // The selection's transform size, else the size of the block on show.
    try {
        const std::string& selected = wave_->FftPoints().Caption();
        if (!selected.empty()) {
            return num::CLng(num::ParseNumber(selected));
        }
    } catch (const num::NumberError&) {
    }
    return spectrum_ ? spectrum_->BlockPoints() : 0;
}
