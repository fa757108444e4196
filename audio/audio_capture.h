// Sound from a capture source (a microphone, a line input, or the monitor of an output, which
// records what the computer plays): 32-bit float mono samples at 48000 Hz, whatever the source
// delivers (SDL converts). The device thread only copies into a
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
    // False once the device has gone (unplugged, its sound server stopped); cheap.
    virtual bool Alive() const = 0;
    // The driver in use ("pulseaudio", "alsa", "disk", ...).
    virtual const std::string& Driver() const = 0;
};

// One capture source as the Record window offers it.
struct CaptureSource {
    std::string name;   // as the sound system names it ("Monitor of Built-in Audio")
    std::string device; // what OpenCaptureDevice opens: the name, or empty for the default
    bool isDefault = false;
};

// Stands for the system's default source when the driver cannot name it.
constexpr const char* kDefaultSourceName = "Default source";

// The sources offered from what the driver lists (in its order) and the name of its default
// source (empty when it cannot tell): exactly one is the default, and it opens as the default
// device. A default the list lacks comes first; one the driver cannot name is
// kDefaultSourceName. So the default is offered, and tried, even when nothing is listed.
std::vector<CaptureSource> ArrangeCaptureSources(const std::vector<std::string>& listed,
                                                 const std::string& defaultName);

// The capture sources of the sound system, the monitors of its outputs included, arranged as
// above. Empty, with the reason in `why`, when there is nothing to record from: no driver
// starts, or only the silent fallback driver that the output device uses on a machine without
// sound.
std::vector<CaptureSource> ListCaptureSources(std::string& why);

// Opens and starts the capture source `device` (empty: the default source) as float mono at
// kCaptureRate. It shares the audio subsystem with the output device, so it runs on the same
// driver. Empty, with the reason in `why`, when it does not open, or when the driver is the
// silent fallback.
std::unique_ptr<CaptureDevice> OpenCaptureDevice(const std::string& device, std::string& why);
