// The engine's voices: one per open player. A wave voice streams a decoded, resampled range
// of a file through a lock-free ring; a sequence voice drives a MIDI player on the shared
// synthesiser. Positions count the frames the device callback really consumed.
#pragma once

#include "audio_backend.h"
#include "base/midi_file.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Stereo float frames from one producer thread to one consumer thread, without locks.
class FrameRing {
  public:
    explicit FrameRing(std::size_t capacityFrames);
    std::size_t Free() const;
    std::size_t Available() const;
    std::size_t Capacity() const { return capacity_; }
    // Producer: copies up to n frames in; returns frames copied.
    std::size_t Push(const float* stereo, std::size_t n);
    // Consumer: adds up to n frames onto out; returns frames taken.
    std::size_t PopAdd(float* stereo, std::size_t n);
    // Only while neither side runs.
    void Reset();

  private:
    std::vector<float> samples_;
    std::size_t capacity_;
    std::atomic<std::uint64_t> written_{0};
    std::atomic<std::uint64_t> read_{0};
};

// A player's sound inside the engine. Threads: the user-interface thread calls Play, Pause,
// Stop and Detach; the engine's service thread calls Service, its decoding thread Feed; the
// device thread calls Mix. `mutex_` orders the first two and is never held while a file is
// read, so a stalled read never keeps the user-interface thread waiting; the device lock keeps
// Mix out while they change what Mix reads, so under both the state is stable.
class Voice {
  public:
    enum State : int { Idle, Playing, Paused, Ended };

    Voice(OutputDevice& device, bool sequence);
    virtual ~Voice() = default;
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    // Runs on the service thread when a play ends by itself; it must only post work to
    // another thread. It never runs once Detach has returned.
    void SetOnEnded(std::function<void()> onEnded);
    // Counts each device buffer the voice could not fill, before its end, in `counter`
    // (the engine's, which outlives the voice's mixing). Before the voice is mixed.
    void CountUnderrunsIn(std::atomic<std::uint64_t>* counter) { underruns_ = counter; }

    // Starts a play of the range (ms from the file start; toMs <= fromMs means to the end).
    // True when a previous play ended by this call (running, paused, or ended unreported).
    bool Play(std::int32_t fromMs, std::int32_t toMs);
    // Pauses a running play or resumes a paused one; false when there is neither.
    bool Pause();
    // Ends the current play; true when there was one (its completion is the caller's to raise).
    bool Stop();
    // Stops any sound, releases the file and cuts the voice off the device for good.
    void Detach();
    // True once cut off, by its player or by the engine ending.
    bool Detached();

    State CurrentState() const { return static_cast<State>(state_.load()); }
    // Why the current play ended before its range did ("Input/output error" of a read that
    // failed); empty while it has not. Not on the device thread.
    std::string Failure();
    bool IsSequence() const { return sequence_; }
    // ms from the file start of the latest frame given to the device.
    std::int32_t PositionMs() const;

    // Service thread: raises the end of a play that ended by itself (exactly once per such
    // play); true when it did.
    bool Service();
    // Decoding thread, while playing or paused: keeps what the device thread reads topped up.
    virtual void Feed() {}

    // Device thread: adds this voice's frames to out (interleaved stereo).
    virtual void Mix(float* out, int frames) = 0;

  protected:
    // With mutex_ and the device lock held:
    virtual void Begin(std::int32_t fromMs, std::int32_t toMs) = 0; // a play of the range
    virtual void Silence() {}                                       // the play's sound stops
    virtual void SetPaused(bool) {} // pause or resume the play's sound
    virtual void Release() {}       // the voice will never play again
    // With mutex_ held:
    virtual void AfterEnd() {} // the play ended by itself
    // Device thread: the play has given its last frame.
    void MarkEnded();
    // Decoding thread: the play ends early, because of `why`.
    void SetFailure(std::string why);
    int Rate() const { return rate_; }

    std::mutex mutex_;
    OutputDevice* device_; // null once detached
    OutputDevice& output_; // the engine's, valid while the engine runs its threads
    std::atomic<int> state_{Idle};
    std::atomic<std::int64_t> consumed_{0}; // device frames of this play given to the device
    std::atomic<bool> atEnd_{false};        // the play reached the end of its range
    std::int32_t fromMs_ = 0;               // user-interface thread
    std::int32_t endMs_ = 0;
    std::atomic<std::uint64_t>* underruns_ = nullptr;

  private:
    std::function<void()> onEnded_; // under mutex_
    std::string failure_;           // under mutex_
    int rate_;
    bool sequence_;
};

// Wave audio: a file decoded by libsndfile, converted to the device's rate and stereo. The
// decoding thread prepares each play (a reset ring, the range's first half second decoded)
// and only then lets the device thread take frames, so Play never waits for the file.
class WaveVoice : public Voice {
  public:
    WaveVoice(OutputDevice& device, std::unique_ptr<SoundFile> file,
              std::unique_ptr<Resampler> resampler);
    void Feed() override;
    void Mix(float* out, int frames) override;

  protected:
    void Begin(std::int32_t fromMs, std::int32_t toMs) override;
    void Release() override;

  private:
    // Decoding thread: gets the play of file frames start..end ready.
    void Prepare(std::int64_t start, std::int64_t end);
    // Reads, converts and queues until `frames` frames wait in the ring, the range is done or
    // another play was asked for.
    void Fill(std::size_t frames);

    const int fileRate_;
    const std::int64_t fileLength_; // frames

    // The play asked for, under mutex_; the generation also changes under the device lock.
    std::int64_t startFrame_ = 0;
    std::int64_t endFrame_ = 0;
    std::atomic<std::uint64_t> generation_{0};
    // The device thread takes frames only while the ring holds the current play's.
    std::atomic<bool> ready_{false};

    std::mutex decodeMutex_;     // held by the decoding thread; the others only try it
    std::uint64_t prepared_ = 0; // the generation the ring holds
    std::unique_ptr<SoundFile> file_;
    std::unique_ptr<Resampler> resampler_;
    FrameRing ring_;
    std::vector<float> fileFrames_;      // one chunk as read from the file
    std::vector<float> stereo_;          // one chunk after conversion
    std::int64_t remaining_ = 0;         // file frames of the range still to read
    std::int64_t expected_ = 0;          // device frames the range converts to
    std::int64_t produced_ = 0;          // device frames of the range queued so far
    std::atomic<bool> inputDone_{false}; // every frame of the range is in the ring
};

// A MIDI file played by the shared synthesiser; its play ends at the file's own length.
class SequenceVoice : public Voice {
  public:
    // synth may be null (SoundFont still loading): the file then plays silently, in time.
    SequenceVoice(OutputDevice& device, const std::atomic<MidiSynth*>& synth, MidiBytes file,
                  const MidiFileInfo& info);
    void Mix(float* out, int frames) override;

  protected:
    void Begin(std::int32_t fromMs, std::int32_t toMs) override;
    void Silence() override;
    void SetPaused(bool pause) override;
    void Release() override;
    void AfterEnd() override;

  private:
    const std::atomic<MidiSynth*>& synth_;
    std::uint16_t channels_;
    MidiBytes file_;
    std::int64_t lengthFrames_;
    std::unique_ptr<MidiPlayer> player_;
};
