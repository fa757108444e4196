// The program-wide note state: which note player the keyboard uses, where the key number
// goes in its note file, and the key number to write.
#pragma once

#include <array>
#include <cstdint>

class MMControl;

struct NoteState {
    // The note players, indexed 1 (piano) and 2 (instrument); index 0 is unused.
    std::array<MMControl*, 3> NoteMMC{};
    std::int16_t NoteMMCIndex = 1;
    std::int16_t NotePosOn = 52;
    std::int16_t NotePosOff = 57;
    std::uint8_t NoteCode = 0;
};

NoteState& Notes();
