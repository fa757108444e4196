// The mapping rules of the waveform drawing: sample values to heights, twips to frames.
#pragma once

#include <cstdint>
#include <vector>

// Heights of one drawing, measured on the left graph.
struct GraphMetrics {
    double sw;   // client width, twips
    double sh;   // client height, twips
    double ymid; // zero line
    double g;    // guide-line unit: the guide lines lie at ymid -/+ 128 g
};

GraphMetrics MetricsFor(double scaleWidth, double scaleHeight);

// y of a 16-bit sample at `amp` twips per unit (rounded half to even to 16 bits).
std::int16_t SampleY16(double ymid, std::int16_t v, float amp);
// Base line of the 8-bit mapping: Int(amp * 128 + ymid) as a 16-bit integer.
std::int16_t Base8(double ymid, float amp);
// y of an 8-bit sample (0..255).
std::int16_t SampleY8(std::int16_t base8, std::uint8_t b, float amp);

// The frame drawn at twip x when there are more frames than twips (plain decimation); whole
// for any stretch, also past the 32-bit range that x values beyond the client width reach.
std::int64_t DecimatedFrame(int x, double framesPerTwip);

// The x of the last frame a decimated drawing reads: the graph is 10040 twips wide with its
// border, and x values past the client width are clipped.
constexpr int kLastDecimatedX = 9999;

// The 1-based file positions a drawing reads when the stretch has more frames than twips:
// for x from 1 to kLastDecimatedX, the first frame of its twip-wide slice,
// Inidad + Int(x * xstep) * bytesPerFrame (xstep: frames per twip). Positions beyond 2 GiB
// are kept whole.
std::vector<std::int64_t> DecimatedPositions(std::int64_t Inidad, double xstep, int bytesPerFrame);
