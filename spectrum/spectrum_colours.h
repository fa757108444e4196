// The spectrum view's colours, &H00BBGGRR, each defined once and named for its use.
#pragma once

#include "ui/colours.h"

constexpr Colour kSpectrumBack = 0x404000; // dark teal: the picture, its title, the label marks
constexpr Colour kSpectrumRed = 0x0000FF;  // the title, the baseline and semitone names
constexpr Colour kPointsWhite = 0xFFFFFF;  // the spectrum drawn as points
constexpr Colour kGridYellow = 0x00FFFF;   // the octave grid and the harmonic comb
constexpr Colour kCursorGreen = 0x00FF00;  // the hover cursor
// The line colours the FTGraph menu offers, held by the view's colour labels.
constexpr Colour kLinePink = 0xFF80FF;
constexpr Colour kLineLightBlue = 0xFFFF80; // also the line when ColLine holds no number
constexpr Colour kLineYellow = kGridYellow;
constexpr Colour kLineGreen = 0x80FF80;
// What the program adds: the frozen reference under the spectrum and the resolution band.
constexpr Colour kFrozenGrey = 0xA0A0A0;
constexpr Colour kBandColour = 0xFFFFFF; // drawn translucent over the picture
