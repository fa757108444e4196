// The output device on SDL2's audio subsystem (no video): float stereo at the device's
// preferred rate, with the dummy driver as the fallback when there is no sound device.
//
// A device that goes away (a USB headset unplugged, the sound server stopped) is marked
// disconnected by SDL, which then reports it stopped; SDL also posts SDL_AUDIODEVICEREMOVED,
// but that event needs the events subsystem and a loop draining it, so the engine reads the
// status instead. SDL 2.26 has no event for a change of the default device: the engine
// compares the default's name with the one it opened on.
#define SDL_MAIN_HANDLED
#include "audio_backend.h"
#include "sdl_audio_share.h"

#include <SDL.h>

#include <atomic>

namespace {

constexpr int kFallbackRate = 48000; // frames per second, when the device states no preference
constexpr int kChannels = 2;

// SDL names an open device by a number; this makes it a nullable handle for unique_ptr.
struct DeviceId {
    SDL_AudioDeviceID id = 0;
    DeviceId(std::nullptr_t = nullptr) {}
    explicit DeviceId(SDL_AudioDeviceID i) : id(i) {}
    explicit operator bool() const { return id != 0; }
    bool operator==(const DeviceId&) const = default;
};

struct CloseDevice {
    using pointer = DeviceId;
    void operator()(DeviceId d) const { SDL_CloseAudioDevice(d.id); }
};

using DeviceHandle = std::unique_ptr<DeviceId, CloseDevice>;

struct Callback {
    RenderFunction render;
    void* user;
    std::atomic<SDL_AudioDeviceID> id{0}; // set before the device starts
};

bool Connected(SDL_AudioDeviceID id) {
    return SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED;
}

void SDLCALL Trampoline(void* userdata, Uint8* stream, int len) {
    const auto* cb = static_cast<const Callback*>(userdata);
    // SDL keeps calling a disconnected device's callback to keep time and throws the frames
    // away: those are not taken from the engine, so its sound resumes where it stopped.
    if (!Connected(cb->id.load(std::memory_order_acquire))) {
        SDL_memset(stream, 0, static_cast<std::size_t>(len));
        return;
    }
    const int frames = len / static_cast<int>(sizeof(float) * kChannels);
    cb->render(cb->user, reinterpret_cast<float*>(stream), frames);
}

class SdlOutputDevice : public OutputDevice {
  public:
    SdlOutputDevice(std::unique_ptr<SdlAudioShare> subsystem, DeviceHandle device,
                    std::unique_ptr<Callback> callback, DeviceSpec spec)
        : callback_(std::move(callback)), subsystem_(std::move(subsystem)),
          device_(std::move(device)), spec_(std::move(spec)) {}
    ~SdlOutputDevice() override {
        device_.reset(); // waits for a callback in progress
        subsystem_.reset();
    }
    const DeviceSpec& Spec() const override { return spec_; }
    void Lock() override { SDL_LockAudioDevice(device_.get().id); }
    void Unlock() override { SDL_UnlockAudioDevice(device_.get().id); }
    bool Alive() const override { return Connected(device_.get().id); }

  private:
    std::unique_ptr<Callback> callback_;
    std::unique_ptr<SdlAudioShare> subsystem_;
    DeviceHandle device_;
    DeviceSpec spec_;
};

int PreferredRate() {
    SDL_AudioSpec preferred{};
    if (SDL_GetDefaultAudioInfo(nullptr, &preferred, 0) == 0 && preferred.freq > 0) {
        return preferred.freq;
    }
    return kFallbackRate;
}

// The default device's name, or empty when the driver cannot tell (ALSA, dummy).
std::string DefaultName() {
    char* name = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&name, &spec, 0) != 0 || !name) {
        return {};
    }
    std::string out(name);
    SDL_free(name);
    return out;
}

// rate 0: the device's preferred rate. A set rate is kept: SDL converts for the hardware.
DeviceHandle OpenDefault(int rate, int bufferFrames, Callback* cb, SDL_AudioSpec& obtained) {
    SDL_AudioSpec want{};
    want.freq = rate > 0 ? rate : PreferredRate();
    want.format = AUDIO_F32SYS;
    want.channels = kChannels;
    want.samples = static_cast<Uint16>(bufferFrames);
    want.callback = Trampoline;
    want.userdata = cb;
    NameNextStream("Playback");
    // Only the rate may differ from what we ask; SDL converts anything else for the hardware.
    const SDL_AudioDeviceID id = SDL_OpenAudioDevice(
        nullptr, 0, &want, &obtained, rate > 0 ? 0 : SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    return DeviceHandle(DeviceId(id));
}

} // namespace

std::unique_ptr<OutputDevice> OpenOutputDevice(int rate, int bufferFrames, RenderFunction render,
                                               void* user, std::string& error) {
    SDL_SetMainReady();
    // Without this SDL takes SIGINT and SIGTERM, and the program would ignore kill.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A dummy fallback forced by an earlier device stays only as long as that device.
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);

    auto callback = std::make_unique<Callback>();
    callback->render = render;
    callback->user = user;
    SDL_AudioSpec obtained{};
    auto subsystem = std::make_unique<SdlAudioShare>();
    DeviceHandle device;
    if (subsystem->Ok()) {
        device = OpenDefault(rate, bufferFrames, callback.get(), obtained);
    }
    if (!device) {
        // No sound device (or no usable driver): the dummy driver consumes frames in real
        // time, so playback, positions and notifications go on silently.
        subsystem.reset();
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        subsystem = std::make_unique<SdlAudioShare>();
        if (subsystem->Ok()) {
            device = OpenDefault(rate, bufferFrames, callback.get(), obtained);
        }
    }
    if (!device) {
        error = SDL_GetError();
        return nullptr;
    }
    DeviceSpec spec;
    spec.rate = obtained.freq;
    spec.bufferFrames = obtained.samples;
    const char* driver = SDL_GetCurrentAudioDriver();
    spec.driver = driver ? driver : "";
    spec.name = DefaultName();
    const SDL_AudioDeviceID id = device.get().id;
    callback->id.store(id, std::memory_order_release);
    auto out = std::make_unique<SdlOutputDevice>(std::move(subsystem), std::move(device),
                                                 std::move(callback), spec);
    SDL_PauseAudioDevice(id, 0);
    return out;
}

std::string DefaultOutputName() {
    return DefaultName();
}
