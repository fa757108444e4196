// Rules of the mouse selection that need no window: graph positions to times and frames,
// the texts of the "Select" table, and the grab zones at the edges of the selection window.
// Positions and widths are in twips of the graph; times in milliseconds from the file start.
#pragma once

#include <cstdint>
#include <string>

// The stretch of the file on show, as the view's hidden labels describe it.
struct ViewStretch {
    std::int32_t iniMs = 0;    // ms from the file start to the first frame on show
    double secs = 0;           // duration on show, seconds
    std::int32_t points = 0;   // frames on show
    std::int32_t iniPoint = 0; // index of the first frame on show
};

// The time at graph position x of a graph `w` twips wide, rounded half to even.
std::int32_t MsAtX(const ViewStretch& v, double x, double w);
// The frame at graph position x: the first frame on show plus the floor of its share.
std::int32_t PointAtX(const ViewStretch& v, double x, double w);
// The time at the right end of the stretch on show, rounded half to even.
std::int32_t StretchEndMs(const ViewStretch& v);
// The last frame on show.
std::int32_t StretchLastPoint(const ViewStretch& v);

// A time in the "Select" table: seconds in the general decimal form (20 ms -> "0.02").
std::string SecondsText(std::int32_t ms);

// Grab zones, tested on differences rounded to single precision. `left` and `width` are
// those of the selection window, x the pointer.
namespace grab {

constexpr float kOutsideZone = 50;   // twips just outside each edge
constexpr float kMinPressWidth = 40; // narrower selections ignore presses outside them
constexpr float kInsideLeft = 50;    // inside, from the left edge
constexpr float kInsideRight = 100;  // inside, from the right edge; also the "narrow" width
constexpr float kMinGap = 50;        // the edges never come closer while dragged

// Just left of the left edge: 0 < left - x < 50.
bool OutsideLeft(double left, double x);
// Just right of the right edge for a press: 0 < x - left - width < 50.
bool OutsideRightPress(double left, double width, double x);
// Just right of the right edge while hovering: the distance rounds (half to even) to at
// least 1 and is below 50.
bool OutsideRightHover(double left, double width, double x);
// Inside, near the left edge: x - left < 50.
bool InsideLeft(double left, double x);
// Inside, near the right edge: left + width - x < 100.
bool InsideRight(double left, double width, double x);
// Inside a narrow selection (width < 100): the left third grabs the left edge.
bool InLeftThird(double left, double width, double x);
// The right edge dragged to x stays more than 50 right of the left edge.
bool RightEdgeClear(double left, double x);
// The left edge dragged to x stays at least 50 left of the right edge `right`.
bool LeftEdgeClear(double right, double x);

} // namespace grab

// What a left-edge drag remembers of x: rounded half to even into 16 bits, a position far
// outside the window held at the nearest end of the range rather than overflowing.
std::int16_t LastMouseXFor(double x);
