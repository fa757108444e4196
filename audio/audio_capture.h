// Sound from the default capture device (the microphone): 32-bit float mono samples at
// 48000 Hz, whatever the device delivers (SDL converts). The device thread only copies into a
// lock-free ring; the user-interface thread drains it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

constexpr int kCaptureRate = 48000;                  // frames per second
constexpr int kCaptureBufferFrames = 480;            // frames per device callback, 10 ms
constexpr std::size_t kCaptureRingFrames = 1u << 19; // about 10.9 s of mono frames

// Mono float samples from one producer thread to one consumer thread, without locks. What
// does not fit is dropped and counted, so the producer never waits.
class SampleRing {
  public:
    explicit SampleRing(std::size_t capacity);
    // Producer: copies what fits of n samples; returns the samples copied.
    std::size_t Push(const float* samples, std::size_t n);
    // Consumer: appends every sample waiting onto out; returns how many.
    std::size_t Drain(std::vector<float>& out);
    // Samples the producer had to drop since the ring was made (any thread).
    std::uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

  private:
    std::vector<float> samples_;
    std::atomic<std::uint64_t> written_{0};
    std::atomic<std::uint64_t> read_{0};
    std::atomic<std::uint64_t> dropped_{0};
};

// An open capture device whose callback is running. Destroying it closes the device (waiting
// for a callback in progress) and releases its share of the audio subsystem.
class CaptureDevice {
  public:
    virtual ~CaptureDevice() = default;
    // User-interface thread: appends the samples captured since the last call onto out.
    virtual std::size_t Drain(std::vector<float>& out) = 0;
    // Samples lost because the ring was full (the drain came too late).
    virtual std::uint64_t Dropped() const = 0;
    // The driver in use ("pulseaudio", "alsa", "disk", ...).
    virtual const std::string& Driver() const = 0;
};

// Opens and starts the default capture device as float mono at kCaptureRate. It shares the
// audio subsystem with the output device, so it runs on the same driver. Empty, with the
// reason in `why`, when there is no capture device: none found, none that opens, or only the
// silent fallback driver that the output device uses on a machine without sound.
std::unique_ptr<CaptureDevice> OpenCaptureDevice(std::string& why);
