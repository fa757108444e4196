#include "note_state.h"

NoteState& Notes() {
    static NoteState state;
    return state;
}
