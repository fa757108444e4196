// How long "Compare FFT" lets the marked note sound. No window code.
#pragma once

#include <cstdint>
#include <string>

// The note timer's bounds, ms: a selection outside 50 ms .. 1.5 s sounds the note for 1.5 s.
constexpr std::int32_t kCompareNoteMaxMs = 1500;
constexpr std::int32_t kCompareNoteMinMs = 50;
// The duration taken when no selection is set, ms.
constexpr std::int32_t kCompareNoteDefaultMs = 1000;

// The note's duration for the selection's length as the view's text holds it (seconds;
// empty: not set): that length rounded to whole milliseconds, or 1500 outside the bounds.
// num::NumberError when the text is not a number.
std::int32_t CompareNoteMs(const std::string& selTime);
