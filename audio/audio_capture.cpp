// The capture device on SDL2's audio subsystem, beside the output device: the subsystem is
// reference-counted, so each takes and releases its own share.
#define SDL_MAIN_HANDLED
#include "audio_capture.h"
#include "sdl_audio_share.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

SampleRing::SampleRing(std::size_t capacity) : samples_(capacity) {}

std::size_t SampleRing::Push(const float* samples, std::size_t n) {
    const std::uint64_t w = written_.load(std::memory_order_relaxed);
    const std::uint64_t r = read_.load(std::memory_order_acquire);
    const std::size_t capacity = samples_.size();
    const std::size_t count = std::min(n, capacity - static_cast<std::size_t>(w - r));
    const std::size_t at = static_cast<std::size_t>(w % capacity);
    const std::size_t first = std::min(count, capacity - at);
    std::memcpy(samples_.data() + at, samples, first * sizeof(float));
    std::memcpy(samples_.data(), samples + first, (count - first) * sizeof(float));
    written_.store(w + count, std::memory_order_release);
    if (count < n) {
        dropped_.fetch_add(n - count, std::memory_order_relaxed);
    }
    return count;
}

std::size_t SampleRing::Drain(std::vector<float>& out) {
    const std::uint64_t w = written_.load(std::memory_order_acquire);
    const std::uint64_t r = read_.load(std::memory_order_relaxed);
    const std::size_t capacity = samples_.size();
    const std::size_t count = static_cast<std::size_t>(w - r);
    const std::size_t at = static_cast<std::size_t>(r % capacity);
    const std::size_t first = std::min(count, capacity - at);
    out.insert(out.end(), samples_.begin() + static_cast<std::ptrdiff_t>(at),
               samples_.begin() + static_cast<std::ptrdiff_t>(at + first));
    out.insert(out.end(), samples_.begin(),
               samples_.begin() + static_cast<std::ptrdiff_t>(count - first));
    read_.store(w, std::memory_order_release);
    return count;
}

namespace {

// The silent driver the output device falls back to without sound hardware: its "capture"
// is endless silence, which is no microphone.
constexpr const char* kSilentDriver = "dummy";

void SDLCALL CopyIntoRing(void* userdata, Uint8* stream, int len) {
    auto* ring = static_cast<SampleRing*>(userdata);
    ring->Push(reinterpret_cast<const float*>(stream),
               static_cast<std::size_t>(len) / sizeof(float));
}

class SdlCaptureDevice : public CaptureDevice {
  public:
    SdlCaptureDevice(std::unique_ptr<SdlAudioShare> share, std::unique_ptr<SampleRing> ring,
                     std::string driver)
        : share_(std::move(share)), ring_(std::move(ring)), driver_(std::move(driver)) {}
    ~SdlCaptureDevice() override {
        if (id_ != 0) {
            SDL_CloseAudioDevice(id_); // waits for a callback in progress
        }
    }
    SdlCaptureDevice(const SdlCaptureDevice&) = delete;
    SdlCaptureDevice& operator=(const SdlCaptureDevice&) = delete;

    // Opens `device` (empty: the default) into the ring; false with the reason on failure.
    bool Open(const std::string& device, std::string& why) {
        SDL_AudioSpec want{};
        want.freq = kCaptureRate;
        want.format = AUDIO_F32SYS;
        want.channels = 1;
        want.samples = static_cast<Uint16>(kCaptureBufferFrames);
        want.callback = CopyIntoRing;
        want.userdata = ring_.get();
        SDL_AudioSpec obtained{};
        NameNextStream("Recording");
        // No change allowed: SDL converts whatever the device delivers into this format.
        id_ =
            SDL_OpenAudioDevice(device.empty() ? nullptr : device.c_str(), 1, &want, &obtained, 0);
        if (id_ == 0) {
            why = SDL_GetError();
            return false;
        }
        SDL_PauseAudioDevice(id_, 0);
        return true;
    }

    std::size_t Drain(std::vector<float>& out) override { return ring_->Drain(out); }
    std::uint64_t Dropped() const override { return ring_->Dropped(); }
    // SDL reports a device that has gone as stopped.
    bool Alive() const override { return SDL_GetAudioDeviceStatus(id_) != SDL_AUDIO_STOPPED; }
    const std::string& Driver() const override { return driver_; }

  private:
    std::unique_ptr<SdlAudioShare> share_; // released after the device is closed
    std::unique_ptr<SampleRing> ring_;
    std::string driver_;
    SDL_AudioDeviceID id_ = 0;
};

// A share of the audio subsystem on a driver that can record; null with the reason when it does
// not start or is the silent fallback.
std::unique_ptr<SdlAudioShare> RecordingShare(std::string& driver, std::string& why) {
    SDL_SetMainReady();
    // Without this SDL takes SIGINT and SIGTERM, and the program would ignore kill.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    auto share = std::make_unique<SdlAudioShare>();
    if (!share->Ok()) {
        why = SDL_GetError();
        return nullptr;
    }
    const char* current = SDL_GetCurrentAudioDriver();
    driver = current ? current : "";
    if (driver == kSilentDriver) {
        why = "the sound system runs without sound hardware";
        return nullptr;
    }
    return share;
}

} // namespace

std::vector<CaptureSource> ArrangeCaptureSources(const std::vector<std::string>& listed,
                                                 const std::string& defaultName) {
    std::vector<CaptureSource> sources;
    const bool named = !defaultName.empty() &&
                       std::find(listed.begin(), listed.end(), defaultName) != listed.end();
    if (!named) {
        sources.push_back({defaultName.empty() ? kDefaultSourceName : defaultName, "", true});
    }
    for (const std::string& name : listed) {
        const bool isDefault = named && name == defaultName;
        sources.push_back({name, isDefault ? "" : name, isDefault});
    }
    return sources;
}

std::vector<CaptureSource> ListCaptureSources(std::string& why) {
    std::string driver;
    const auto share = RecordingShare(driver, why);
    if (!share) {
        return {};
    }
    std::vector<std::string> listed;
    // -1 means the driver cannot count its devices: nothing is listed, the default still offered.
    const int count = SDL_GetNumAudioDevices(1);
    for (int i = 0; i < count; ++i) {
        if (const char* name = SDL_GetAudioDeviceName(i, 1)) {
            listed.emplace_back(name);
        }
    }
    std::string defaultName;
    char* name = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&name, &spec, 1) == 0 && name) {
        defaultName = name;
        SDL_free(name);
    }
    return ArrangeCaptureSources(listed, defaultName);
}

std::unique_ptr<CaptureDevice> OpenCaptureDevice(const std::string& device, std::string& why) {
    std::string driver;
    auto share = RecordingShare(driver, why);
    if (!share) {
        return nullptr;
    }
    auto opened = std::make_unique<SdlCaptureDevice>(
        std::move(share), std::make_unique<SampleRing>(kCaptureRingFrames), driver);
    if (!opened->Open(device, why)) {
        return nullptr;
    }
    return opened;
}
