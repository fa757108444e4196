#include "audio_engine.h"

#include "audio_backend.h"
#include "audio_voices.h"
#include "midi_file.h"
#include "sound_font_lookup.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

constexpr std::uintmax_t kMaxMidiBytes = 16 * 1024 * 1024;
constexpr auto kServicePeriod = std::chrono::milliseconds(5); // feeding and end detection

std::unique_ptr<AudioEngine>& Running() {
    static std::unique_ptr<AudioEngine> engine;
    return engine;
}

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
    if (ec || size > kMaxMidiBytes)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    MidiBytes bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uintmax_t>(in.gcount()) != size)
        return std::nullopt;
    return bytes;
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

} // namespace

// ---- Engine ----

AudioEngine::AudioEngine(const AudioSettings& settings) {
    std::string error;
    device_ = OpenOutputDevice(settings.bufferFrames, &AudioEngine::Render, this, error);
    service_ = std::thread([this] { ServiceLoop(); });
    if (!device_)
        return;
    const std::string soundFont =
        settings.soundFont.empty() ? SystemSoundFont() : settings.soundFont;
    if (!IsRegularFile(soundFont))
        return; // Missing: sequencer players report it when they open
    soundFont_.store(SoundFontState::Loading);
    const double rate = device_->Spec().rate;
    loader_ = std::thread([this, soundFont, rate] {
        std::string why;
        std::unique_ptr<MidiSynth> synth = MakeMidiSynth(rate, soundFont, why);
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
    {
        std::lock_guard guard(voicesMutex_);
        quit_ = true;
    }
    wake_.notify_all();
    service_.join();
    if (loader_.joinable())
        loader_.join();
    {
        std::lock_guard guard(voicesMutex_);
        for (Entry& e : entries_)
            e.voice->Detach();
        entries_.clear();
    }
    device_.reset(); // the callback has stopped once this returns
    synth_.store(nullptr);
    synthOwner_.reset();
}

AudioEngine* AudioEngine::Current() {
    return Running().get();
}

AudioEngine& AudioEngine::Get() {
    if (!Running())
        Running() = std::make_unique<AudioEngine>(AudioSettings{});
    return *Running();
}

AudioInfo AudioEngine::Info() const {
    AudioInfo info;
    if (device_) {
        info.rate = device_->Spec().rate;
        info.bufferFrames = device_->Spec().bufferFrames;
        info.driver = device_->Spec().driver;
    }
    info.soundFont = soundFont_.load();
    return info;
}

AudioEngine::Opened AudioEngine::OpenWave(const std::string& path, std::function<void()> onEnded) {
    if (!device_)
        return {nullptr, OpenError::NoDevice};
    SoundFileError why = SoundFileError::None;
    std::unique_ptr<SoundFile> file = OpenSoundFile(path, why);
    if (!file)
        return {nullptr,
                why == SoundFileError::NotFound ? OpenError::NotFound : OpenError::Unplayable};
    std::unique_ptr<Resampler> resampler =
        MakeResampler(file->Channels(), file->Rate(), device_->Spec().rate);
    if (!resampler)
        return {nullptr, OpenError::Unplayable};
    return Attach(std::make_shared<WaveVoice>(*device_, std::move(file), std::move(resampler)),
                  std::move(onEnded));
}

AudioEngine::Opened AudioEngine::OpenSequence(const std::string& path,
                                              std::function<void()> onEnded) {
    if (!device_)
        return {nullptr, OpenError::NoDevice};
    const SoundFontState sf = soundFont_.load();
    if (sf == SoundFontState::Missing || sf == SoundFontState::Failed)
        return {nullptr, OpenError::NoSoundFont};
    if (!IsRegularFile(path))
        return {nullptr, OpenError::NotFound};
    // The whole file is read now, so it is released at once and may be rewritten.
    std::optional<MidiBytes> bytes = ReadWholeFile(path);
    if (!bytes)
        return {nullptr, OpenError::Unplayable};
    std::optional<MidiFileInfo> info = ReadMidiFileInfo(*bytes);
    if (!info)
        return {nullptr, OpenError::Unplayable};
    return Attach(std::make_shared<SequenceVoice>(*device_, synth_, std::move(*bytes), *info),
                  std::move(onEnded));
}

AudioEngine::Opened AudioEngine::Attach(std::shared_ptr<Voice> voice,
                                        std::function<void()> onEnded) {
    std::lock_guard guard(voicesMutex_);
    if (mixingCount_ == kMaxVoices)
        return {nullptr, OpenError::TooManyPlayers};
    {
        DeviceLock lock(*device_);
        mixing_[mixingCount_++] = voice.get();
    }
    entries_.push_back({voice, std::move(onEnded)});
    return {std::move(voice), OpenError::None};
}

void AudioEngine::Close(const std::shared_ptr<Voice>& voice) {
    {
        std::lock_guard guard(voicesMutex_);
        const auto it = std::find_if(entries_.begin(), entries_.end(),
                                     [&](const Entry& e) { return e.voice == voice; });
        if (it == entries_.end())
            return;
        entries_.erase(it);
        DeviceLock lock(*device_);
        Voice** end = mixing_ + mixingCount_;
        Voice** last = std::remove(mixing_, end, voice.get());
        mixingCount_ = static_cast<int>(last - mixing_);
    }
    voice->Detach();
}

void AudioEngine::Wake() {
    {
        std::lock_guard guard(voicesMutex_);
        wakeRequested_ = true;
    }
    wake_.notify_one();
}

void AudioEngine::ServiceLoop() {
    std::unique_lock lock(voicesMutex_);
    while (!quit_) {
        bool busy = false;
        for (Entry& e : entries_) {
            if (e.voice->Service() && e.onEnded)
                e.onEnded();
            busy = busy || e.voice->CurrentState() != Voice::Idle;
        }
        const auto woken = [this] { return wakeRequested_ || quit_; };
        if (busy)
            wake_.wait_for(lock, kServicePeriod, woken);
        else
            wake_.wait(lock, woken);
        wakeRequested_ = false;
    }
}

void AudioEngine::Render(void* self, float* stereo, int frames) {
    static_cast<AudioEngine*>(self)->Mix(stereo, frames);
}

void AudioEngine::Mix(float* out, int frames) {
    if (cpuProbe.load(std::memory_order_relaxed)) {
        cpuNs.store(ThreadCpuNs(), std::memory_order_relaxed);
        wallNs.store(SteadyNs(), std::memory_order_relaxed);
    }
    const std::size_t samples = static_cast<std::size_t>(frames) * 2;

    // The synthesiser writes the buffer (its players advance as it renders); wave voices add.
    bool sequencePlaying = false;
    for (int i = 0; i < mixingCount_; ++i)
        sequencePlaying = sequencePlaying || (mixing_[i]->IsSequence() &&
                                              mixing_[i]->CurrentState() == Voice::Playing);
    MidiSynth* synth = synth_.load(std::memory_order_acquire);
    if (synth && (sequencePlaying || synthTail_ > 0 || synth->Sounding())) {
        synth->Render(out, frames);
        synthTail_ = (sequencePlaying || synth->Sounding()) ? kSynthTailFrames
                                                            : std::max(0, synthTail_ - frames);
    } else {
        std::memset(out, 0, samples * sizeof(float));
    }
    for (int i = 0; i < mixingCount_; ++i)
        mixing_[i]->Mix(out, frames);
    // Within full scale, by riding the gain: a mix that stays within passes unchanged.
    limiter_.Process(out, frames);

    if (firstSoundArmed.load(std::memory_order_relaxed) &&
        std::any_of(out, out + samples, [](float s) { return s != 0.0f; })) {
        firstSoundNs.store(SteadyNs(), std::memory_order_relaxed);
        firstSoundArmed.store(false, std::memory_order_release);
    }
}

// ---- Free functions ----

void StartAudio() {
    StartAudio(AudioSettings{});
}

void StartAudio(const AudioSettings& settings) {
    if (!Running())
        Running() = std::make_unique<AudioEngine>(settings);
}

void StopAudio() {
    Running().reset();
}

AudioInfo CurrentAudio() {
    return AudioEngine::Get().Info();
}

void ArmFirstSoundProbe() {
    AudioEngine& e = AudioEngine::Get();
    e.firstSoundNs.store(0);
    e.firstSoundArmed.store(true, std::memory_order_release);
}

std::optional<std::chrono::steady_clock::time_point> FirstSoundTime() {
    AudioEngine& e = AudioEngine::Get();
    if (e.firstSoundArmed.load(std::memory_order_acquire) || e.firstSoundNs.load() == 0)
        return std::nullopt;
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(e.firstSoundNs.load()));
}

void SetCpuProbe(bool on) {
    AudioEngine::Get().cpuProbe.store(on);
}

ThreadTimes DeviceThreadTimes() {
    AudioEngine& e = AudioEngine::Get();
    return {e.cpuNs.load(), e.wallNs.load()};
}
