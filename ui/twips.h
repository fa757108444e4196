// The twip model: every position and size the program uses is in twips (1440 per inch).
// A logical pixel is 15 twips; Qt's high-DPI scaling maps logical pixels to the screen.
#pragma once

#include <cmath>
#include <cstdint>

constexpr double kTwipsPerPixel = 15.0;

// Twips to logical pixels, rounded to the nearest pixel edge.
inline int TwipsToPx(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline double PxToTwips(double px) {
    return px * kTwipsPerPixel;
}

// A colour in the program's encoding: red + 256 * green + 65536 * blue (&H00BBGGRR).
// Values with the top bit set name a system colour (see SystemColour).
using Colour = std::uint32_t;

constexpr Colour Rgb(int r, int g, int b) {
    return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

// The desktop's system colours, resolved from the toolkit's palette when drawn.
enum SystemColour : Colour {
    kSysDesktop = 0x80000001,
    kSysAppWorkspace = 0x8000000C,
    kSysWindowBackground = 0x80000005,
    kSysWindowText = 0x80000008,
    kSysCaptionText = 0x80000009,
    kSysHighlight = 0x8000000D,
    kSysHighlightText = 0x8000000E,
    kSysButtonFace = 0x8000000F,
    kSysButtonText = 0x80000012,
};

// Mouse pointer shapes a surface can show; read back as state by the handlers.
enum class MousePointer { Default, SizeWE, Hourglass };

// Mouse buttons and shift keys as the handlers receive them.
constexpr std::int16_t kNoButton = 0;
constexpr std::int16_t kLeftButton = 1;
constexpr std::int16_t kRightButton = 2;
constexpr std::int16_t kMiddleButton = 4;
constexpr std::int16_t kNoShift = 0;
