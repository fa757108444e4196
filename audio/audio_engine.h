// The program's one audio engine: one output device, a mixer of wave voices and one General
// MIDI synthesiser, all rendered in the device callback. Players (MMControl) open voices on it.
#pragma once

#include "mix_limiter.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class AudioBackend;
class FollowingOutput;
class MidiSynth;
class Voice;
struct WaveSplice;

constexpr int kDefaultBufferFrames = 512; // frames per device callback (about 11 ms at 48 kHz)

struct AudioSettings {
    std::string soundFont; // empty: the system General MIDI SoundFont (SystemSoundFont)
    int bufferFrames = kDefaultBufferFrames;
    std::shared_ptr<AudioBackend> backend; // empty: SDL2, libsndfile and FluidSynth
};

enum class SoundFontState { Loading, Ready, Missing, Failed };

// Why a player could not open.
enum class OpenError { None, NotFound, Unplayable, NoSoundFont, NoDevice, TooManyPlayers };

// What the engine is running on; rate 0 when no device could be opened at all.
struct AudioInfo {
    int rate = 0;
    int bufferFrames = 0;
    std::string driver;
    SoundFontState soundFont = SoundFontState::Missing;
};

// CPU time of the device thread and the wall-clock time, both taken at its latest callback
// since the probe was switched on.
struct ThreadTimes {
    std::int64_t cpuNs = 0;
    std::int64_t wallNs = 0;
};

// The program has one, built before its splash screen shows and handed by reference to every
// player; it outlives them all. User-interface thread only, except where noted. Its service
// thread reports ends of play and follows the default output device; its decoding thread
// reads and converts wave files, holding no lock that the user-interface thread waits for.
class AudioEngine {
  public:
    // Opens the output device and starts loading the SoundFont in the background. Build it
    // after the QApplication exists. When it ends, voices still open are cut off silently.
    explicit AudioEngine(const AudioSettings& settings = {});
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    struct Opened {
        std::shared_ptr<Voice> voice;
        OpenError error = OpenError::None;
    };
    // Opens a voice on a wave file or a Standard MIDI File. onEnded runs on the engine's
    // service thread when a play ends by itself; it must only post work to another thread.
    // A voice is played, paused and stopped through its own calls. With a splice, the wave
    // voice plays the file's range, the splice's samples and the range again as one sound.
    Opened OpenWave(const std::string& path, std::function<void()> onEnded,
                    const WaveSplice* splice = nullptr);
    Opened OpenSequence(const std::string& path, std::function<void()> onEnded);
    // Removes the voice from the mixer and stops it; onEnded will not run any more.
    void Close(const std::shared_ptr<Voice>& voice);
    // Tells the service and decoding threads that a voice has started playing.
    void Wake();

    AudioInfo Info() const;

    // Measurements for benchmarks and tests (cheap atomics read by the device thread).
    // After arming, the device thread records when it first hands a non-silent frame over.
    void ArmFirstSoundProbe();
    std::optional<std::chrono::steady_clock::time_point> FirstSoundTime() const;
    void SetCpuProbe(bool on);
    ThreadTimes DeviceThreadTimes() const;
    // The longest device callback since the CPU probe was last switched on, ns.
    std::int64_t WorstCallbackNs() const { return worstCallbackNs_.load(); }
    // Callbacks since then, and those that took longer than a quarter of their buffer's time.
    std::int64_t Callbacks() const { return callbacks_.load(); }
    std::int64_t SlowCallbacks() const { return slowCallbacks_.load(); }
    // Device buffers a playing wave voice could not fill (its decoded sound ran out before
    // its end) since the engine started; any thread.
    std::uint64_t Underruns() const { return underruns_.load(); }

  private:
    static void Render(void* self, float* stereo, int frames);
    void Mix(float* stereo, int frames);
    // The service thread (decode false) and the decoding thread (decode true).
    void Loop(bool decode);
    Opened Attach(std::shared_ptr<Voice> voice, std::function<void()> onEnded);

    std::atomic<bool> firstSoundArmed_{false};
    std::atomic<std::int64_t> firstSoundNs_{0};
    std::atomic<bool> cpuProbe_{false};
    std::atomic<std::int64_t> cpuNs_{0};
    std::atomic<std::int64_t> wallNs_{0};
    std::atomic<std::int64_t> worstCallbackNs_{0};
    std::atomic<std::int64_t> callbacks_{0};
    std::atomic<std::int64_t> slowCallbacks_{0};
    std::atomic<std::uint64_t> underruns_{0};

    static constexpr int kMaxVoices = 16;
    static constexpr int kSynthTailFrames = 48000; // reverb rendered after the last note

    std::shared_ptr<AudioBackend> backend_;
    std::unique_ptr<FollowingOutput> output_; // null when not even a silent device opened
    std::unique_ptr<MidiSynth> synthOwner_;   // guarded by synthMutex_
    std::mutex synthMutex_;
    std::atomic<MidiSynth*> synth_{nullptr};
    std::atomic<SoundFontState> soundFont_{SoundFontState::Missing};
    std::atomic<bool> cancelLoad_{false}; // set when the engine ends: the load gives up
    std::thread loader_;

    // Read by the device thread; changed only under the device lock.
    Voice* mixing_[kMaxVoices] = {};
    int mixingCount_ = 0;
    int synthTail_ = 0;  // device thread only
    MixLimiter limiter_; // device thread only

    std::mutex voicesMutex_; // entries_, wakes_, quit_; never held while a file is read
    std::condition_variable wake_;
    std::vector<std::shared_ptr<Voice>> entries_;
    std::uint64_t wakes_ = 0;
    bool quit_ = false;
    std::thread service_;
    std::thread decoder_;
};
