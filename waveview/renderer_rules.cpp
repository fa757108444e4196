// The mapping rules of the waveform drawing, apart from any window.
#include "renderer_rules.h"

#include "base/numbers.h"

#include <cmath>

GraphMetrics MetricsFor(double scaleWidth, double scaleHeight) {
    GraphMetrics m{};
    m.sw = scaleWidth;
    m.sh = scaleHeight;
    m.ymid = scaleHeight / 2;
    m.g = (scaleHeight * 3 / 8) / 128;
    return m;
}

std::int16_t SampleY16(double ymid, std::int16_t v, float amp) {
    return num::CInt(ymid - static_cast<double>(v) * static_cast<double>(amp));
}

std::int16_t Base8(double ymid, float amp) {
    return num::CInt(std::floor(static_cast<double>(amp) * 128 + ymid));
}

std::int16_t SampleY8(std::int16_t base8, std::uint8_t b, float amp) {
    return num::CInt(base8 - static_cast<double>(b) * static_cast<double>(amp));
}

std::int64_t DecimatedFrame(int x, double framesPerTwip) {
    return static_cast<std::int64_t>(std::floor(x * framesPerTwip));
}

std::vector<std::int64_t> DecimatedPositions(std::int64_t Inidad, double xstep, int bytesPerFrame) {
    std::vector<std::int64_t> positions(kLastDecimatedX);
    for (int x = 1; x <= kLastDecimatedX; ++x) {
        positions[static_cast<std::size_t>(x - 1)] =
            Inidad + DecimatedFrame(x, xstep) * bytesPerFrame;
    }
    return positions;
}
