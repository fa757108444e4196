// Helpers of the audio tests: an engine on SDL's disk driver, whose capture file holds every
// frame really handed to the device, event pumping, and signal measurements.
#pragma once

#include "audio/audio_engine.h"
#include "tests/support/fixtures.h"
#include "tests/support/pump.h"

#include <QCoreApplication>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Interleaved stereo float frames.
struct Capture {
    std::vector<float> samples;
    std::size_t Frames() const { return samples.size() / 2; }
    float Left(std::size_t f) const { return samples[2 * f]; }
    float Right(std::size_t f) const { return samples[2 * f + 1]; }
    // First frame whose left or right sample exceeds the level; empty for silence.
    std::optional<std::size_t> Onset(float level = 0.0f, std::size_t from = 0) const {
        for (std::size_t f = from; f < Frames(); ++f) {
            if (std::fabs(Left(f)) > level || std::fabs(Right(f)) > level) {
                return f;
            }
        }
        return std::nullopt;
    }
    // One past the last frame above the level.
    std::size_t End(float level = 0.0f) const {
        for (std::size_t f = Frames(); f > 0; --f) {
            if (std::fabs(Left(f - 1)) > level || std::fabs(Right(f - 1)) > level) {
                return f;
            }
        }
        return 0;
    }
    // RMS of both channels over `count` frames from `from`, in dB below full scale.
    double RmsDbfs(std::size_t from, std::size_t count) const {
        double sum = 0;
        for (std::size_t f = from; f < from + count; ++f) {
            sum += double{Left(f)} * Left(f) + double{Right(f)} * Right(f);
        }
        return 10 * std::log10(sum / (2.0 * static_cast<double>(count)));
    }
    std::vector<float> LeftChannel(std::size_t from, std::size_t count) const {
        std::vector<float> out;
        for (std::size_t f = from; f < from + count && f < Frames(); ++f) {
            out.push_back(Left(f));
        }
        return out;
    }
};

// An engine on the disk driver, writing into a file of its own folder; players are built on
// Engine(). The capture is complete once Finish() has ended the engine (players still open are
// cut off by it).
class DiskEngine {
  public:
    explicit DiskEngine(const AudioSettings& settings = {}) : path_(dir_.File("capture.raw")) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", path_.c_str(), 1);
        engine_.emplace(settings);
    }
    ~DiskEngine() {
        engine_.reset();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    DiskEngine(const DiskEngine&) = delete;
    DiskEngine& operator=(const DiskEngine&) = delete;

    AudioEngine& Engine() { return *engine_; }
    const TempDir& Dir() const { return dir_; }
    int Rate() const { return engine_->Info().rate; }
    bool WaitForSoundFont() const {
        return PumpUntil([this] { return engine_->Info().soundFont != SoundFontState::Loading; },
                         10000) &&
               engine_->Info().soundFont == SoundFontState::Ready;
    }
    // Pumps events until the device has been handed `frames` more frames than so far. Waits
    // in the device's time, which a starved machine stretches against the wall clock.
    bool PumpDeviceFrames(std::size_t frames, int timeoutMs = 10000) const {
        const std::size_t target = FramesHanded() + frames;
        return PumpUntil([&] { return FramesHanded() >= target; }, timeoutMs);
    }
    // Frames handed to the device so far, give or take the capture file's write buffer.
    std::size_t FramesHanded() const {
        std::error_code error;
        const auto bytes = std::filesystem::file_size(path_, error);
        return error ? 0 : static_cast<std::size_t>(bytes) / (2 * sizeof(float));
    }
    // Ends the engine and reads everything its device was given.
    Capture Finish() {
        engine_.reset();
        const Bytes raw = ReadFile(path_);
        Capture c;
        c.samples.resize(raw.size() / sizeof(float));
        std::memcpy(c.samples.data(), raw.data(), c.samples.size() * sizeof(float));
        return c;
    }

  private:
    TempDir dir_;
    std::string path_;
    std::optional<AudioEngine> engine_;
};

// Fundamental frequency by the normalised difference function (YIN): the first lag whose
// value dips under the threshold, refined by a parabola. Octave-safe where the largest
// spectral bin is not (a note's second harmonic is often its strongest partial).
inline double Fundamental(const std::vector<float>& x, int rate, double minHz = 40,
                          double maxHz = 2000) {
    const auto maxLag = static_cast<std::size_t>(rate / minHz);
    const auto minLag = static_cast<std::size_t>(rate / maxHz);
    if (x.size() < 2 * maxLag + 2) {
        return 0;
    }
    const std::size_t window = x.size() - maxLag - 1;
    std::vector<double> d(maxLag + 2, 0.0);
    for (std::size_t lag = 1; lag <= maxLag + 1; ++lag) {
        double sum = 0;
        for (std::size_t i = 0; i < window; ++i) {
            const double diff = x[i] - x[i + lag];
            sum += diff * diff;
        }
        d[lag] = sum;
    }
    std::vector<double> cmnd(d.size(), 1.0);
    double running = 0;
    for (std::size_t lag = 1; lag < d.size(); ++lag) {
        running += d[lag];
        cmnd[lag] = running > 0 ? d[lag] * static_cast<double>(lag) / running : 1.0;
    }
    constexpr double kThreshold = 0.2;
    std::size_t best = 0;
    for (std::size_t lag = std::max<std::size_t>(minLag, 2); lag < maxLag; ++lag) {
        if (cmnd[lag] < kThreshold) {
            while (lag + 1 < maxLag && cmnd[lag + 1] < cmnd[lag]) {
                ++lag;
            }
            best = lag;
            break;
        }
    }
    if (best == 0) {
        return 0;
    }
    const double a = cmnd[best - 1], b = cmnd[best], c = cmnd[best + 1];
    const double denom = a - 2 * b + c;
    const double shift = denom != 0 ? 0.5 * (a - c) / denom : 0;
    return rate / (static_cast<double>(best) + shift);
}

// Frequency of a clean tone from its rising zero crossings.
inline double ZeroCrossingFrequency(const std::vector<float>& x, int rate) {
    std::vector<double> crossings;
    for (std::size_t i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0 && x[i] >= 0) {
            crossings.push_back(static_cast<double>(i - 1) + -x[i - 1] / (x[i] - x[i - 1]));
        }
    }
    if (crossings.size() < 2) {
        return 0;
    }
    return rate * static_cast<double>(crossings.size() - 1) /
           (crossings.back() - crossings.front());
}

inline double MidiKeyHz(int key) {
    return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}
