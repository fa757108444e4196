#include "playback_rules.h"

#include "base/numbers.h"

double TwipsPerMsFor(double scaleWidth, double viewSecs) {
    return scaleWidth / (viewSecs * 1000);
}

std::int16_t CursorXFor(std::int32_t positionMs, std::int32_t viewIniMs, double twipsPerMs) {
    const double ms = static_cast<double>(positionMs) - static_cast<double>(viewIniMs);
    return num::CInt(num::Int(ms * twipsPerMs));
}

CursorLines CursorLinesFor(std::int32_t rangeMs, double windowWidth) {
    if (rangeMs <= kCursorMinRangeMs) {
        return CursorLines::None;
    }
    return windowWidth > kCursorWindowMinTwips ? CursorLines::Copies : CursorLines::Graphs;
}
