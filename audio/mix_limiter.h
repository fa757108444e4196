// Keeps the engine's mixed output within full scale by riding its gain, never by cutting the
// waveform: where the mix would pass full scale the gain falls smoothly just before the peak
// and recovers slowly after it. A mix that stays within full scale passes bit for bit.
#pragma once

#include <array>

class MixLimiter {
  public:
    // Scales `frames` interleaved stereo frames in place so that no sample passes full scale.
    // Both channels share one gain, so the stereo image stays. Device thread; no allocation.
    void Process(float* stereo, int frames);

    // The gain applied to the last frame processed (1 when the limiter rests).
    float Gain() const { return gain_; }

  private:
    static constexpr int kChunkFrames = 1024; // the look-ahead: frames whose peaks are known
                                              // before their gain is chosen
    // A frame's gain is at most the gain that every frame this far ahead needs, and after a
    // fall the gain holds this long before it climbs (1.3 ms at 48 kHz).
    static constexpr int kHoldFrames = 64;
    void ProcessChunk(float* stereo, int frames);

    std::array<float, kChunkFrames> gains_{};
    float gain_ = 1.0f;
    int hold_ = 0; // frames the gain still holds after its last fall
};
