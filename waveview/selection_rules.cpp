#include "selection_rules.h"

#include "base/numbers.h"

#include <cmath>
#include <limits>

std::int32_t MsAtX(const ViewStretch& v, double x, double w) {
    return num::CLng(v.iniMs + v.secs * x * 1000 / w);
}

std::int32_t PointAtX(const ViewStretch& v, double x, double w) {
    return num::CLng(v.iniPoint + std::floor((static_cast<double>(v.points) - 1) * x / w));
}

std::int32_t StretchEndMs(const ViewStretch& v) {
    return num::CLng(v.iniMs + v.secs * 1000);
}

std::int32_t StretchLastPoint(const ViewStretch& v) {
    return num::CLng(static_cast<double>(v.iniPoint) + v.points - 1);
}

std::string SecondsText(std::int32_t ms) {
    return num::DoubleText(ms / 1000.0);
}

namespace grab {

namespace {
// A difference of positions as the comparisons see it: rounded to single precision.
float Diff(double d) {
    return static_cast<float>(d);
}
} // namespace

bool OutsideLeft(double left, double x) {
    const float d = Diff(left - x);
    return d > 0 && d < kOutsideZone;
}

bool OutsideRightPress(double left, double width, double x) {
    const float d = Diff(x - left - width);
    return d > 0 && d < kOutsideZone;
}

bool OutsideRightHover(double left, double width, double x) {
    const float d = Diff(x - left - width);
    return num::RoundHalfEven(d) >= 1 && d < kOutsideZone;
}

bool InsideLeft(double left, double x) {
    return Diff(x - left) < kInsideLeft;
}

bool InsideRight(double left, double width, double x) {
    return Diff(left + width - x) < kInsideRight;
}

bool InLeftThird(double left, double width, double x) {
    return Diff(x - left) < static_cast<float>(width) / 3;
}

bool RightEdgeClear(double left, double x) {
    return Diff(x - left) > kMinGap;
}

bool LeftEdgeClear(double right, double x) {
    return !(Diff(right - x) < kMinGap);
}

} // namespace grab

std::int16_t LastMouseXFor(double x) {
    constexpr double lo = std::numeric_limits<std::int16_t>::min();
    constexpr double hi = std::numeric_limits<std::int16_t>::max();
    const double r = num::RoundHalfEven(x);
    if (!(r >= lo)) {
        return std::numeric_limits<std::int16_t>::min();
    }
    if (r > hi) {
        return std::numeric_limits<std::int16_t>::max();
    }
    return static_cast<std::int16_t>(r);
}
