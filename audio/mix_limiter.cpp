#include "mix_limiter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kFullScale = 1.0f;
// Gain change per frame: falling to half takes 32 frames (under 1 ms at 44.1 or 48 kHz), so
// the dip is a fade, not a click; rising from half back to 1 takes 2400 frames (about 50 ms),
// so the gain does not flutter with each wave of a loud tone.
constexpr float kAttackStep = 1.0f / 64;
constexpr float kReleaseStep = 1.0f / 4800;

} // namespace

void MixLimiter::Process(float* stereo, int frames) {
    while (frames > 0) {
        const int n = std::min(frames, kChunkFrames);
        ProcessChunk(stereo, n);
        stereo += 2 * n;
        frames -= n;
    }
}

void MixLimiter::ProcessChunk(float* stereo, int frames) {
    // The gain each frame needs on its own.
    bool over = false;
    for (int i = 0; i < frames; ++i) {
        const float peak = std::max(std::fabs(stereo[2 * i]), std::fabs(stereo[2 * i + 1]));
        gains_[i] = peak > kFullScale ? kFullScale / peak : 1.0f;
        over = over || peak > kFullScale;
    }
    if (!over && gain_ == 1.0f) {
        return; // nothing to do: the mix passes untouched
    }
    // Each frame takes the lowest gain of the frames just ahead, so the gain is already down
    // when the signal climbs to a peak (rather than following it and flattening its top).
    for (int i = 0; i < frames; ++i) {
        const int last = std::min(frames, i + kHoldFrames);
        gains_[i] = *std::min_element(gains_.begin() + i, gains_.begin() + last);
    }
    // Backwards: the gain slopes down towards each of those holds.
    for (int i = frames - 2; i >= 0; --i) {
        gains_[i] = std::min(gains_[i], gains_[i + 1] + kAttackStep);
    }
    // Forwards: the gain follows every fall at once, holds still for a while after the last
    // one (so the frames after a crest are not raised back to full scale, which would flatten
    // it), then climbs back slowly, reaching exactly 1.
    float g = gain_;
    for (int i = 0; i < frames; ++i) {
        if (gains_[i] <= g) {
            g = gains_[i];
            hold_ = kHoldFrames;
        } else if (hold_ > 0) {
            --hold_;
        } else {
            g = std::min({gains_[i], g + kReleaseStep, 1.0f});
        }
        // The product may round one step above full scale; keep it within.
        stereo[2 * i] = std::clamp(stereo[2 * i] * g, -kFullScale, kFullScale);
        stereo[2 * i + 1] = std::clamp(stereo[2 * i + 1] * g, -kFullScale, kFullScale);
    }
    gain_ = g;
}
