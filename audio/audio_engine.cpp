#include "audio_engine.h"

#include "audio_backend.h"
#include "audio_output.h"
#include "audio_voices.h"
#include "base/midi_file.h"
#include "sound_font_lookup.h"
#include "spliced_sound.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr std::uintmax_t kMaxMidiBytes = 16 * 1024 * 1024;
constexpr auto kServicePeriod = std::chrono::milliseconds(5); // feeding and end detection
// How often the service thread looks whether the output device has gone or the default
// changed: a lost device plays again within this and the time to open another.
constexpr auto kFollowPeriod = std::chrono::milliseconds(250);

class SystemAudioBackend : public AudioBackend {
  public:
    std::unique_ptr<OutputDevice> OpenOutputDevice(int rate, int bufferFrames,
                                                   RenderFunction render, void* user,
                                                   std::string& error) override {
        return ::OpenOutputDevice(rate, bufferFrames, render, user, error);
    }
    std::string DefaultOutputName() override { return ::DefaultOutputName(); }
    std::unique_ptr<SoundFile> OpenSoundFile(const std::string& path,
                                             SoundFileError& error) override {
        return ::OpenSoundFile(path, error);
    }
    std::unique_ptr<Resampler> MakeResampler(int channels, int fromRate, int toRate) override {
        return ::MakeResampler(channels, fromRate, toRate);
    }
    std::unique_ptr<MidiSynth> MakeMidiSynth(double rate, const std::string& soundFont,
                                             const std::atomic<bool>& cancel,
                                             std::string& error) override {
        return ::MakeMidiSynth(rate, soundFont, cancel, error);
    }
};

std::int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::int64_t ThreadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::int64_t{ts.tv_sec} * 1'000'000'000 + ts.tv_nsec;
}

std::optional<MidiBytes> ReadWholeFile(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxMidiBytes) {
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    MidiBytes bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size) {
        return std::nullopt;
    }
    return bytes;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

} // namespace

std::unique_ptr<AudioBackend> MakeSystemAudioBackend() {
    return std::make_unique<SystemAudioBackend>();
}

// ---- Engine ----

AudioEngine::AudioEngine(const AudioSettings& settings)
    : backend_(settings.backend ? settings.backend
                                : std::shared_ptr<AudioBackend>(MakeSystemAudioBackend())) {
    auto output = std::make_unique<FollowingOutput>(*backend_, settings.bufferFrames,
                                                    &AudioEngine::Render, this);
    if (output->Opened()) {
        output_ = std::move(output);
    }
    service_ = std::thread([this] { Loop(false); });
    decoder_ = std::thread([this] { Loop(true); });
    if (!output_) {
        return;
    }
    const std::string soundFont =
        settings.soundFont.empty() ? SystemSoundFont() : settings.soundFont;
    if (!IsRegularFile(soundFont)) {
        return; // Missing: sequencer players report it when they open
    }
    soundFont_.store(SoundFontState::Loading);
    const double rate = output_->Spec().rate;
    loader_ = std::thread([this, soundFont, rate] {
        std::string why;
        std::unique_ptr<MidiSynth> synth =
            backend_->MakeMidiSynth(rate, soundFont, cancelLoad_, why);
        if (!synth) {
            soundFont_.store(SoundFontState::Failed);
            return;
        }
        std::lock_guard guard(synthMutex_);
        synthOwner_ = std::move(synth);
        synth_.store(synthOwner_.get(), std::memory_order_release);
        soundFont_.store(SoundFontState::Ready);
    });
}

AudioEngine::~AudioEngine() {
    // A SoundFont still loading (the program quits during its splash) is given up.
    cancelLoad_.store(true);
    {
        std::lock_guard guard(voicesMutex_);
        quit_ = true;
    }
    wake_.notify_all();
    service_.join();
    decoder_.join();
    if (loader_.joinable()) {
        loader_.join();
    }
    {
        std::lock_guard guard(voicesMutex_);
        for (const auto& voice : entries_) {
            voice->Detach();
        }
        entries_.clear();
    }
    output_.reset(); // the callback has stopped once this returns
    synth_.store(nullptr);
    synthOwner_.reset();
}

AudioInfo AudioEngine::Info() const {
    AudioInfo info;
    if (output_) {
        const DeviceSpec now = output_->Current();
        info.rate = output_->Spec().rate;
        info.bufferFrames = now.bufferFrames;
        info.driver = now.driver;
    }
    info.soundFont = soundFont_.load();
    return info;
}

AudioEngine::Opened AudioEngine::OpenWave(const std::string& path, std::function<void()> onEnded,
                                          const WaveSplice* splice) {
    if (!output_) {
        return {nullptr, OpenError::NoDevice};
    }
    SoundFileError why = SoundFileError::None;
    std::unique_ptr<SoundFile> file = backend_->OpenSoundFile(path, why);
    if (!file) {
        return {nullptr,
                why == SoundFileError::NotFound ? OpenError::NotFound : OpenError::Unplayable};
    }
    if (splice) {
        file = SpliceSound(std::move(file), *splice);
        if (!file) {
            return {nullptr, OpenError::Unplayable};
        }
    }
    std::unique_ptr<Resampler> resampler =
        backend_->MakeResampler(file->Channels(), file->Rate(), output_->Spec().rate);
    if (!resampler) {
        return {nullptr, OpenError::Unplayable};
    }
    return Attach(std::make_shared<WaveVoice>(*output_, std::move(file), std::move(resampler)),
                  std::move(onEnded));
}

AudioEngine::Opened AudioEngine::OpenSequence(const std::string& path,
                                              std::function<void()> onEnded) {
    if (!output_) {
        return {nullptr, OpenError::NoDevice};
    }
    const SoundFontState sf = soundFont_.load();
    if (sf == SoundFontState::Missing || sf == SoundFontState::Failed) {
        return {nullptr, OpenError::NoSoundFont};
    }
    if (!IsRegularFile(path)) {
        return {nullptr, OpenError::NotFound};
    }
    // The whole file is read now, so it is released at once and may be rewritten.
    std::optional<MidiBytes> bytes = ReadWholeFile(path);
    if (!bytes) {
        return {nullptr, OpenError::Unplayable};
    }
    std::optional<MidiFileInfo> info = ReadMidiFileInfo(*bytes);
    if (!info) {
        return {nullptr, OpenError::Unplayable};
    }
    return Attach(std::make_shared<SequenceVoice>(*output_, synth_, std::move(*bytes), *info),
                  std::move(onEnded));
}

AudioEngine::Opened AudioEngine::Attach(std::shared_ptr<Voice> voice,
                                        std::function<void()> onEnded) {
    voice->SetOnEnded(std::move(onEnded));
    voice->CountUnderrunsIn(&underruns_);
    std::lock_guard guard(voicesMutex_);
    if (mixingCount_ == kMaxVoices) {
        return {nullptr, OpenError::TooManyPlayers};
    }
    {
        DeviceLock lock(*output_);
        mixing_[mixingCount_++] = voice.get();
    }
    entries_.push_back(voice);
    return {std::move(voice), OpenError::None};
}

void AudioEngine::Close(const std::shared_ptr<Voice>& voice) {
    {
        std::lock_guard guard(voicesMutex_);
        const auto it = std::find(entries_.begin(), entries_.end(), voice);
        if (it == entries_.end()) {
            return;
        }
        entries_.erase(it);
        DeviceLock lock(*output_);
        Voice** end = mixing_ + mixingCount_;
        Voice** last = std::remove(mixing_, end, voice.get());
        mixingCount_ = static_cast<int>(last - mixing_);
    }
    voice->Detach();
}

void AudioEngine::Wake() {
    {
        std::lock_guard guard(voicesMutex_);
        ++wakes_;
    }
    wake_.notify_all();
}

void AudioEngine::Loop(bool decode) {
    // Each pass works on its own copy of the list, without the lock: a stalled read keeps
    // only this thread waiting. A voice closed meanwhile is released with the copy.
    std::vector<std::shared_ptr<Voice>> voices;
    auto nextFollow = std::chrono::steady_clock::now() + kFollowPeriod;
    std::unique_lock lock(voicesMutex_);
    while (!quit_) {
        const std::uint64_t seen = wakes_;
        voices = entries_;
        lock.unlock();
        bool busy = false;
        for (const auto& voice : voices) {
            const Voice::State state = voice->CurrentState();
            if (decode && (state == Voice::Playing || state == Voice::Paused)) {
                voice->Feed();
            } else if (!decode) {
                voice->Service();
            }
            busy = busy || voice->CurrentState() != Voice::Idle;
        }
        voices.clear();
        if (!decode && output_ && std::chrono::steady_clock::now() >= nextFollow) {
            output_->Follow();
            nextFollow = std::chrono::steady_clock::now() + kFollowPeriod;
        }
        lock.lock();
        const auto woken = [&] { return wakes_ != seen || quit_; };
        if (busy) {
            wake_.wait_for(lock, kServicePeriod, woken);
        } else if (!decode && output_) {
            wake_.wait_for(lock, kFollowPeriod, woken);
        } else {
            wake_.wait(lock, woken);
        }
    }
}

void AudioEngine::Render(void* self, float* stereo, int frames) {
    static_cast<AudioEngine*>(self)->Mix(stereo, frames);
}

void AudioEngine::Mix(float* out, int frames) {
    const bool probe = cpuProbe_.load(std::memory_order_relaxed);
    const std::int64_t began = probe ? SteadyNs() : 0;
    if (probe) {
        cpuNs_.store(ThreadCpuNs(), std::memory_order_relaxed);
        wallNs_.store(began, std::memory_order_relaxed);
    }
    const std::size_t samples = static_cast<std::size_t>(frames) * 2;

    // The synthesiser writes the buffer (its players advance as it renders); wave voices add.
    bool sequencePlaying = false;
    for (int i = 0; i < mixingCount_; ++i) {
        sequencePlaying = sequencePlaying || (mixing_[i]->IsSequence() &&
                                              mixing_[i]->CurrentState() == Voice::Playing);
    }
    MidiSynth* synth = synth_.load(std::memory_order_acquire);
    if (synth && (sequencePlaying || synthTail_ > 0 || synth->Sounding())) {
        synth->Render(out, frames);
        synthTail_ = (sequencePlaying || synth->Sounding()) ? kSynthTailFrames
                                                            : std::max(0, synthTail_ - frames);
    } else {
        std::memset(out, 0, samples * sizeof(float));
    }
    for (int i = 0; i < mixingCount_; ++i) {
        mixing_[i]->Mix(out, frames);
    }
    // Within full scale, by riding the gain: a mix that stays within passes unchanged.
    limiter_.Process(out, frames);

    if (firstSoundArmed_.load(std::memory_order_relaxed) &&
        std::any_of(out, out + samples, [](float s) { return s != 0.0f; })) {
        firstSoundNs_.store(SteadyNs(), std::memory_order_relaxed);
        firstSoundArmed_.store(false, std::memory_order_release);
    }
    if (probe) {
        const std::int64_t took = SteadyNs() - began;
        if (took > worstCallbackNs_.load(std::memory_order_relaxed)) {
            worstCallbackNs_.store(took, std::memory_order_relaxed);
        }
        callbacks_.fetch_add(1, std::memory_order_relaxed);
        const std::int64_t quarterNs =
            std::int64_t{frames} * 1000000000 / std::max(1, output_ ? output_->Spec().rate : 1) / 4;
        if (took > quarterNs) {
            slowCallbacks_.fetch_add(1, std::memory_order_relaxed);
        }
    }
}

// ---- Probes ----

void AudioEngine::ArmFirstSoundProbe() {
    firstSoundNs_.store(0);
    firstSoundArmed_.store(true, std::memory_order_release);
}

std::optional<std::chrono::steady_clock::time_point> AudioEngine::FirstSoundTime() const {
    if (firstSoundArmed_.load(std::memory_order_acquire) || firstSoundNs_.load() == 0) {
        return std::nullopt;
    }
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(firstSoundNs_.load()));
}

void AudioEngine::SetCpuProbe(bool on) {
    if (on) {
        worstCallbackNs_.store(0);
        callbacks_.store(0);
        slowCallbacks_.store(0);
    }
    cpuProbe_.store(on);
}

ThreadTimes AudioEngine::DeviceThreadTimes() const {
    return {cpuNs_.load(), wallNs_.load()};
}
