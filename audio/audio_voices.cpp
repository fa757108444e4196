#include "audio_voices.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr int kStereo = 2;
constexpr double kRingSeconds = 0.5;        // decoded sound kept ahead of the device
constexpr std::int64_t kChunkFrames = 2048; // file frames decoded at a time
constexpr int kPrefillPeriods = 4;          // device buffers decoded before "Play" returns
constexpr std::int64_t kTailFrames = 256;   // silent file frames fed after a range's end

} // namespace

// ---- FrameRing ----

FrameRing::FrameRing(std::size_t capacityFrames)
    : samples_(capacityFrames * kStereo), capacity_(capacityFrames) {}

std::size_t FrameRing::Available() const {
    return static_cast<std::size_t>(written_.load(std::memory_order_acquire) -
                                    read_.load(std::memory_order_acquire));
}

std::size_t FrameRing::Free() const {
    return capacity_ - Available();
}

std::size_t FrameRing::Push(const float* stereo, std::size_t n) {
    const std::uint64_t w = written_.load(std::memory_order_relaxed);
    n = std::min(n,
                 capacity_ - static_cast<std::size_t>(w - read_.load(std::memory_order_acquire)));
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = static_cast<std::size_t>((w + i) % capacity_) * kStereo;
        samples_[at] = stereo[i * kStereo];
        samples_[at + 1] = stereo[i * kStereo + 1];
    }
    written_.store(w + n, std::memory_order_release);
    return n;
}

std::size_t FrameRing::PopAdd(float* stereo, std::size_t n) {
    const std::uint64_t r = read_.load(std::memory_order_relaxed);
    n = std::min(n, static_cast<std::size_t>(written_.load(std::memory_order_acquire) - r));
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = static_cast<std::size_t>((r + i) % capacity_) * kStereo;
        stereo[i * kStereo] += samples_[at];
        stereo[i * kStereo + 1] += samples_[at + 1];
    }
    read_.store(r + n, std::memory_order_release);
    return n;
}

void FrameRing::Reset() {
    written_.store(0);
    read_.store(0);
}

// ---- Voice ----

Voice::Voice(OutputDevice& device, bool sequence)
    : device_(&device), output_(device), rate_(device.Spec().rate), sequence_(sequence) {}

void Voice::SetOnEnded(std::function<void()> onEnded) {
    std::lock_guard guard(mutex_);
    onEnded_ = std::move(onEnded);
}

bool Voice::Play(std::int32_t fromMs, std::int32_t toMs) {
    std::lock_guard guard(mutex_);
    if (!device_) {
        return false;
    }
    DeviceLock lock(*device_);
    const bool ended = state_.exchange(Idle) != Idle;
    Silence();
    consumed_.store(0);
    atEnd_.store(false);
    failure_.clear();
    Begin(fromMs, toMs);
    state_.store(Playing);
    return ended;
}

bool Voice::Pause() {
    std::lock_guard guard(mutex_);
    if (!device_) {
        return false;
    }
    DeviceLock lock(*device_);
    switch (state_.load()) {
    case Playing:
        SetPaused(true);
        state_.store(Paused);
        return true;
    case Paused:
        SetPaused(false);
        state_.store(Playing);
        return true;
    default:
        return false;
    }
}

bool Voice::Stop() {
    std::lock_guard guard(mutex_);
    if (!device_) {
        return false;
    }
    DeviceLock lock(*device_);
    const bool ended = state_.exchange(Idle) != Idle;
    Silence();
    return ended;
}

void Voice::Detach() {
    std::lock_guard guard(mutex_);
    if (!device_) {
        return;
    }
    {
        DeviceLock lock(*device_);
        state_.store(Idle);
        Silence();
        Release();
    }
    device_ = nullptr;
    onEnded_ = nullptr;
}

bool Voice::Detached() {
    std::lock_guard guard(mutex_);
    return device_ == nullptr;
}

std::int32_t Voice::PositionMs() const {
    if (atEnd_.load()) {
        return endMs_;
    }
    const std::int64_t played = consumed_.load() * 1000 / rate_;
    return static_cast<std::int32_t>(std::min<std::int64_t>(fromMs_ + played, endMs_));
}

bool Voice::Service() {
    std::lock_guard guard(mutex_);
    if (!device_) {
        return false;
    }
    int expected = Ended;
    if (!state_.compare_exchange_strong(expected, Idle)) {
        return false;
    }
    AfterEnd();
    if (onEnded_) {
        onEnded_();
    }
    return true;
}

std::string Voice::Failure() {
    std::lock_guard guard(mutex_);
    return failure_;
}

void Voice::SetFailure(std::string why) {
    std::lock_guard guard(mutex_);
    failure_ = std::move(why);
}

void Voice::MarkEnded() {
    int expected = Playing;
    if (state_.compare_exchange_strong(expected, Ended)) {
        atEnd_.store(true);
    }
}

// ---- WaveVoice ----

WaveVoice::WaveVoice(OutputDevice& device, std::unique_ptr<SoundFile> file,
                     std::unique_ptr<Resampler> resampler)
    : Voice(device, false), fileRate_(file->Rate()), fileLength_(file->Frames()),
      file_(std::move(file)), resampler_(std::move(resampler)),
      ring_(static_cast<std::size_t>(device.Spec().rate * kRingSeconds)),
      fileFrames_(static_cast<std::size_t>(kChunkFrames * file_->Channels())),
      stereo_(static_cast<std::size_t>(kChunkFrames * kStereo)) {}

void WaveVoice::Begin(std::int32_t fromMs, std::int32_t toMs) {
    const std::int64_t rate = fileRate_;
    const auto toFrame = [&](std::int32_t ms) {
        return std::clamp<std::int64_t>(std::llround(static_cast<double>(ms) * rate / 1000.0), 0,
                                        fileLength_);
    };
    const std::int64_t start = toFrame(fromMs);
    const std::int64_t end = (toMs <= fromMs) ? fileLength_ : std::max(start, toFrame(toMs));
    fromMs_ = static_cast<std::int32_t>(start * 1000 / rate);
    endMs_ = static_cast<std::int32_t>(end * 1000 / rate);
    startFrame_ = start;
    endFrame_ = end;
    // The decoding thread sees the new generation, resets the ring and prefills it.
    ready_.store(false, std::memory_order_relaxed);
    generation_.fetch_add(1, std::memory_order_release);
}

void WaveVoice::Release() {
    generation_.fetch_add(1, std::memory_order_release); // a read in progress gives up after it
    // Closing the decoder releases the file, so it can be rewritten. A stalled read keeps it
    // until the read returns; the file is then closed with the voice.
    std::unique_lock decode(decodeMutex_, std::try_to_lock);
    if (decode.owns_lock()) {
        file_.reset();
    }
}

void WaveVoice::Feed() {
    std::lock_guard decode(decodeMutex_);
    if (!file_) {
        return;
    }
    if (generation_.load(std::memory_order_acquire) == prepared_) {
        Fill(ring_.Capacity());
        return;
    }
    std::int64_t start, end;
    {
        std::lock_guard guard(mutex_);
        if (!device_) {
            return;
        }
        prepared_ = generation_.load(std::memory_order_acquire);
        start = startFrame_;
        end = endFrame_;
    }
    Prepare(start, end);
    DeviceLock lock(output_);
    if (generation_.load(std::memory_order_relaxed) == prepared_) {
        ready_.store(true, std::memory_order_release);
    }
}

void WaveVoice::Prepare(std::int64_t start, std::int64_t end) {
    // The device thread leaves the ring alone until ready_ is set again.
    ring_.Reset();
    resampler_->Clear();
    inputDone_.store(false);
    remaining_ = file_->Seek(start) ? end - start : 0;
    produced_ = 0;
    expected_ = std::llround(static_cast<double>(remaining_) * output_.Spec().rate /
                             static_cast<double>(fileRate_));
    // Half the ring is decoded before the play starts, so a feeding thread that the system
    // keeps waiting for a while (a busy machine) never leaves the device without sound.
    const auto prefill = std::max(static_cast<std::size_t>(kPrefillPeriods) *
                                      static_cast<std::size_t>(output_.Spec().bufferFrames),
                                  ring_.Capacity() / 2);
    Fill(std::min(prefill, ring_.Capacity()));
}

void WaveVoice::Fill(std::size_t frames) {
    while (!inputDone_.load(std::memory_order_relaxed) && ring_.Available() < frames &&
           generation_.load(std::memory_order_relaxed) == prepared_) {
        const std::int64_t owed = expected_ - produced_;
        const int ready = resampler_->Available();
        if (owed <= 0) {
            inputDone_.store(true, std::memory_order_release);
        } else if (ready > 0) {
            const int take = static_cast<int>(std::min<std::int64_t>(
                {ready, kChunkFrames, owed, static_cast<std::int64_t>(ring_.Free())}));
            const int got = resampler_->Get(stereo_.data(), take);
            if (got <= 0) {
                break;
            }
            ring_.Push(stereo_.data(), static_cast<std::size_t>(got));
            produced_ += got;
        } else if (remaining_ > 0) {
            const std::int64_t got =
                file_->Read(fileFrames_.data(), std::min(remaining_, kChunkFrames));
            if (got <= 0 || !resampler_->Put(fileFrames_.data(), static_cast<int>(got))) {
                // A short or unreadable file ends the range here; a read that failed says why.
                if (std::string why = file_->ReadFailure(); got <= 0 && !why.empty()) {
                    SetFailure(std::move(why));
                }
                remaining_ = 0;
                expected_ = produced_;
                continue;
            }
            remaining_ -= got;
        } else {
            // The converter holds the range's last frames back for its filter: silence after
            // the range pushes them out, and the count above cuts them off exactly.
            std::fill(fileFrames_.begin(), fileFrames_.end(), 0.0f);
            if (!resampler_->Put(fileFrames_.data(), static_cast<int>(kTailFrames))) {
                expected_ = produced_;
            }
        }
    }
}

void WaveVoice::Mix(float* out, int frames) {
    if (state_.load(std::memory_order_acquire) != Playing ||
        !ready_.load(std::memory_order_acquire)) {
        return;
    }
    const auto wanted = static_cast<std::size_t>(frames);
    const std::size_t got = ring_.PopAdd(out, wanted);
    consumed_.fetch_add(static_cast<std::int64_t>(got), std::memory_order_relaxed);
    // Done only when the feeder has queued everything and the ring is empty: a short read
    // before that is an underrun, which plays silence and goes on.
    if (got < wanted) {
        if (inputDone_.load(std::memory_order_acquire) && ring_.Available() == 0) {
            MarkEnded();
        } else if (underruns_) {
            underruns_->fetch_add(1, std::memory_order_relaxed);
        }
    }
}

// ---- SequenceVoice ----

SequenceVoice::SequenceVoice(OutputDevice& device, const std::atomic<MidiSynth*>& synth,
                             MidiBytes file, const MidiFileInfo& info)
    : Voice(device, true), synth_(synth), channels_(info.channelMask), file_(std::move(file)),
      lengthFrames_(
          std::llround(std::clamp(info.seconds, 0.0, kMaxMidiSeconds) * device.Spec().rate)) {}

void SequenceVoice::Begin(std::int32_t, std::int32_t) {
    fromMs_ = 0;
    endMs_ = static_cast<std::int32_t>(lengthFrames_ * 1000 / Rate());
    player_.reset();
    if (MidiSynth* synth = synth_.load(std::memory_order_acquire)) {
        player_ = synth->Play(file_);
    }
}

void SequenceVoice::Silence() {
    if (!player_) {
        return;
    }
    player_.reset();
    if (MidiSynth* synth = synth_.load(std::memory_order_acquire)) {
        synth->NotesOff(channels_);
    }
}

void SequenceVoice::SetPaused(bool pause) {
    if (!player_) {
        return;
    }
    if (pause) {
        player_->Pause();
        if (MidiSynth* synth = synth_.load(std::memory_order_acquire)) {
            synth->NotesOff(channels_);
        }
    } else {
        player_->Resume();
    }
}

void SequenceVoice::Release() {
    player_.reset();
}

void SequenceVoice::AfterEnd() {
    // The file's last note-off has been played; releasing the channels again is harmless and
    // covers a player that runs a block behind.
    DeviceLock lock(*device_);
    Silence();
}

void SequenceVoice::Mix(float*, int frames) {
    if (state_.load(std::memory_order_acquire) != Playing) {
        return;
    }
    const std::int64_t now = consumed_.fetch_add(frames, std::memory_order_relaxed) + frames;
    if (now >= lengthFrames_) {
        MarkEnded();
    }
}
