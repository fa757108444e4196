// Rules of the play cursor that need no window. Positions are milliseconds from the file
// start; x and widths are twips of the graph.
#pragma once

#include <cstdint>

// The player's status-update interval while a play runs, ms (0 stops the updates).
constexpr std::int16_t kStatusIntervalMs = 50;
// A play range must be longer than this for the cursor to show, ms.
constexpr std::int32_t kCursorMinRangeMs = 500;
// A selection window wider than this carries the cursor in its inverse copies, twips.
constexpr double kCursorWindowMinTwips = 100;

// Twips per millisecond on a graph `scaleWidth` twips wide showing `viewSecs` seconds; not
// finite when nothing is on show.
double TwipsPerMsFor(double scaleWidth, double viewSecs);

// The cursor's x for a play position: the floor of (positionMs - viewIniMs) x twipsPerMs as a
// 16-bit integer. num::NumberError when it does not fit.
std::int16_t CursorXFor(std::int32_t positionMs, std::int32_t viewIniMs, double twipsPerMs);

// Which pair of cursor lines a play shows.
enum class CursorLines {
    None,   // the range is too short to follow
    Graphs, // Line1 and Line2, on the graphs themselves
    Copies, // Line3 and Line4, on the inverse copies seen through the selection window
};

// The cursor lines for a play range of `rangeMs` with a selection window `windowWidth` wide.
CursorLines CursorLinesFor(std::int32_t rangeMs, double windowWidth);
