// The output device on SDL2's audio subsystem (no video): float stereo at the device's
// preferred rate, with the dummy driver as the fallback when there is no sound device.
#define SDL_MAIN_HANDLED
#include "audio_backend.h"

#include <SDL.h>

namespace {

constexpr int kFallbackRate = 48000; // frames per second, when the device states no preference
constexpr int kChannels = 2;

// The audio subsystem, initialised for the life of the object.
class AudioSubsystem {
  public:
    AudioSubsystem() { ok_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0; }
    ~AudioSubsystem() {
        if (ok_)
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    AudioSubsystem(const AudioSubsystem&) = delete;
    AudioSubsystem& operator=(const AudioSubsystem&) = delete;
    bool Ok() const { return ok_; }

  private:
    bool ok_;
};

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
};

void SDLCALL Trampoline(void* userdata, Uint8* stream, int len) {
    const auto* cb = static_cast<const Callback*>(userdata);
    const int frames = len / static_cast<int>(sizeof(float) * kChannels);
    cb->render(cb->user, reinterpret_cast<float*>(stream), frames);
}

class SdlOutputDevice : public OutputDevice {
  public:
    SdlOutputDevice(std::unique_ptr<AudioSubsystem> subsystem, DeviceHandle device,
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

  private:
    std::unique_ptr<Callback> callback_;
    std::unique_ptr<AudioSubsystem> subsystem_;
    DeviceHandle device_;
    DeviceSpec spec_;
};

int PreferredRate() {
    SDL_AudioSpec preferred{};
    if (SDL_GetDefaultAudioInfo(nullptr, &preferred, 0) == 0 && preferred.freq > 0)
        return preferred.freq;
    return kFallbackRate;
}

DeviceHandle OpenDefault(int bufferFrames, Callback* cb, SDL_AudioSpec& obtained) {
    SDL_AudioSpec want{};
    want.freq = PreferredRate();
    want.format = AUDIO_F32SYS;
    want.channels = kChannels;
    want.samples = static_cast<Uint16>(bufferFrames);
    want.callback = Trampoline;
    want.userdata = cb;
    // Only the rate may differ from what we ask; SDL converts anything else for the hardware.
    const SDL_AudioDeviceID id =
        SDL_OpenAudioDevice(nullptr, 0, &want, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    return DeviceHandle(DeviceId(id));
}

} // namespace

std::unique_ptr<OutputDevice> OpenOutputDevice(int bufferFrames, RenderFunction render, void* user,
                                               std::string& error) {
    SDL_SetMainReady();
    // Without this SDL takes SIGINT and SIGTERM, and the program would ignore kill.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A dummy fallback forced by an earlier device stays only as long as that device.
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);

    auto callback = std::make_unique<Callback>(Callback{render, user});
    SDL_AudioSpec obtained{};
    auto subsystem = std::make_unique<AudioSubsystem>();
    DeviceHandle device;
    if (subsystem->Ok())
        device = OpenDefault(bufferFrames, callback.get(), obtained);
    if (!device) {
        // No sound device (or no usable driver): the dummy driver consumes frames in real
        // time, so playback, positions and notifications go on silently.
        subsystem.reset();
        SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
        subsystem = std::make_unique<AudioSubsystem>();
        if (subsystem->Ok())
            device = OpenDefault(bufferFrames, callback.get(), obtained);
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
    const SDL_AudioDeviceID id = device.get().id;
    auto out = std::make_unique<SdlOutputDevice>(std::move(subsystem), std::move(device),
                                                 std::move(callback), spec);
    SDL_PauseAudioDevice(id, 0);
    return out;
}
