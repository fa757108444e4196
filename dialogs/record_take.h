// What the Record window measures and keeps, without any window: the level of the latest
// sound, a word about it, and the take itself as 16-bit samples up to a length limit.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

constexpr std::int32_t kRecordRate = 48000;     // frames per second of every take
constexpr std::int32_t kMaxTakeSeconds = 60;    // a take stops by itself at this length
constexpr std::int32_t kLevelWindowMs = 50;     // the meter shows the latest 50 ms
constexpr double kQuietDbfs = -50.0;            // below this the sound is too quiet to study
constexpr double kClipLevel = 0.999;            // a sample this near full scale has clipped
constexpr std::int32_t kLevelWordHoldMs = 1000; // how long a word takes to come and to go

// Peak and RMS level of the latest kLevelWindowMs of sound, and a word when the sound
// clipped or stayed too quiet for the last second. Levels in dBFS (0 = full scale).
class LevelMeter {
  public:
    enum class Word { None, Clipping, TooQuiet };

    explicit LevelMeter(std::int32_t rate = kRecordRate);
    void Feed(const float* samples, std::size_t n);
    // -infinity for silence (or before any sound).
    double PeakDbfs() const;
    double RmsDbfs() const;
    // Clipping while a clipped sample lies within the last second; TooQuiet once a whole
    // second has stayed below kQuietDbfs.
    Word Status() const;

  private:
    std::vector<float> window_; // the latest samples, circular
    std::size_t next_ = 0;
    std::size_t filled_ = 0;
    std::int64_t holdFrames_;
    std::int64_t sinceClip_;
    std::int64_t sinceAudible_ = 0;
};

// The recorded samples, converted to 16 bits as they arrive, up to a limit.
class Take {
  public:
    explicit Take(std::int64_t limitFrames = std::int64_t{kMaxTakeSeconds} * kRecordRate);
    // Keeps what fits under the limit of n float samples (full scale +/-1, clamped); returns
    // how many it kept.
    std::size_t Append(const float* samples, std::size_t n);
    bool Full() const { return Frames() >= limit_; }
    std::int64_t Frames() const { return static_cast<std::int64_t>(samples_.size()); }
    std::int64_t LimitFrames() const { return limit_; }
    const std::vector<std::int16_t>& Samples() const { return samples_; }

  private:
    std::int64_t limit_;
    std::vector<std::int16_t> samples_;
};

// "0:07.3": minutes, seconds and tenths of `frames` at `rate`, tenths cut, not rounded.
std::string ElapsedText(std::int64_t frames, std::int32_t rate);

// "Recording 2026-12-08 18-55-01.wav" for the local time `when`.
std::string RecordingFileName(const std::tm& when);

// The path in `folder` for the file `name` (ending in ".wav"); when a file of that name is
// there already, the name with " (2)", " (3)" ... before ".wav", so a second file made within
// the same second never replaces the first.
std::string FreeFilePath(const std::string& folder, const std::string& name);
