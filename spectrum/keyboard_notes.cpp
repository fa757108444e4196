// Form101: the keyboard's press and release. A right-button press sounds the key under the
// mouse through the note player; releasing the button stops it.
#include "spectrum_view.h"

#include "keyboard.h"
#include "notes/note_player.h"
#include "ui/services.h"

float Form101::KeyX() const {
    return notes_.KeyX();
}

void Form101::Image1_MouseDown(std::int16_t Button, std::int16_t Shift, float, float Y) {
    if (Button == kRightButton && Y > kKeyboardPlayableHeight) {
        services_.messages->Show(
            JoinLines({"To play a white key on this keyboard",
                       "you must position the mouse a little higher", "(between black keys)."}),
            "Play a white key", MsgIcon::Information);
        return;
    }
    if (Button == kLeftButton) {
        services_.messages->Show(
            JoinLines({"Use the RIGHT mouse button", "to play this keyboard!"}),
            "Playing the keyboard", MsgIcon::Information);
        return;
    }
    notes_.Press();
    // The cursor moves onto the centre of the key and names its exact frequency.
    harmDrag_ = false;
    Picture2_MouseMove(kRightButton, Shift, notes_.KeyX(), Y);
}

void Form101::Image1_MouseUp(std::int16_t, std::int16_t, float, float) {
    notes_.Release();
}
