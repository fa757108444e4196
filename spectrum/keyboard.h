// The on-screen keyboard under the spectrum: where its picture lies on the spectrum picture
// and which part of it plays. Pure constants and geometry; no toolkit.
#pragma once

#include <cstdint>

// Placement of the keyboard picture Image1 on Picture2, twips.
constexpr double kKeyboardLeft = 5475.0; // left edge of MIDI note 0
constexpr double kKeyboardTop = 2500.0;
constexpr double kKeyboardWidth = 19275.0; // 128.5 semitones of 150 twips
constexpr double kKeyboardHeight = 975.0;
// Only the upper part of the keys follows the pitch scale; below it the program plays nothing.
constexpr float kKeyboardPlayableHeight = 600.0f; // twips from the picture's top

// The keyboard bitmap, pixels.
constexpr int kKeyboardBitmapWidth = 1200;
constexpr int kKeyboardBitmapHeight = 65;

// Centre of the key of MIDI note m in keyboard-picture twips: 15900 + 150 (m - 69) - 5475.
constexpr double KeyCentreX(std::int32_t m) {
    return 15900.0 + 150.0 * (m - 69) - kKeyboardLeft;
}
