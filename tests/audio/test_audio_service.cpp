// The audio engine on doubles of the vendor libraries: a file whose reads can be held up, an
// output device that can disappear, a SoundFont that takes as long as it is let. Player
// commands must never wait for a file, a lost device must come back with the play going on,
// and the engine must end without waiting for a SoundFont still loading.
#include "audio/audio_backend.h"
#include "audio/audio_engine.h"
#include "audio/audio_voices.h"
#include "audio/sound_font_lookup.h"
#include "tests/support/fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRate = 8000;       // frames per second of the files and devices
constexpr int kDeviceFrames = 64; // frames per device callback (8 ms)
constexpr int kFileFrames = 3 * kRate;

double MsSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!pred() && Clock::now() < end) {
        std::this_thread::sleep_for(1ms);
    }
    return pred();
}

// Sample f of every test file: never zero, so the device's silence is told apart.
float FileSample(std::int64_t f) {
    return static_cast<float>(f % 4000 + 1) / 8192.0f;
}

// Holds every read while closed.
class Gate {
  public:
    void Close() {
        std::lock_guard guard(m_);
        open_ = false;
    }
    void Open() {
        {
            std::lock_guard guard(m_);
            open_ = true;
        }
        cv_.notify_all();
    }
    void Pass() {
        std::unique_lock lock(m_);
        ++waiting_;
        cv_.wait(lock, [this] { return open_; });
        --waiting_;
    }
    int Waiting() {
        std::lock_guard guard(m_);
        return waiting_;
    }

  private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = true;
    int waiting_ = 0;
};

class GatedFile : public SoundFile {
  public:
    explicit GatedFile(Gate& gate) : gate_(gate) {}
    int Rate() const override { return kRate; }
    int Channels() const override { return 1; }
    std::int64_t Frames() const override { return kFileFrames; }
    bool Seek(std::int64_t frame) override {
        at_ = frame;
        return true;
    }
    std::int64_t Read(float* frames, std::int64_t count) override {
        gate_.Pass();
        count = std::min(count, kFileFrames - at_);
        for (std::int64_t i = 0; i < count; ++i) {
            frames[i] = FileSample(at_ + i);
        }
        at_ += count;
        return count;
    }

  private:
    Gate& gate_;
    std::int64_t at_ = 0;
};

// Mono to stereo at one rate.
class CopyingResampler : public Resampler {
  public:
    bool Put(const float* frames, int count) override {
        queue_.insert(queue_.end(), frames, frames + count);
        return true;
    }
    void Flush() override {}
    int Available() const override { return static_cast<int>(queue_.size()); }
    int Get(float* stereo, int maxFrames) override {
        const int n = std::min(maxFrames, Available());
        for (int i = 0; i < n; ++i) {
            stereo[2 * i] = stereo[2 * i + 1] = queue_[static_cast<std::size_t>(i)];
        }
        queue_.erase(queue_.begin(), queue_.begin() + n);
        return n;
    }
    void Clear() override { queue_.clear(); }

  private:
    std::vector<float> queue_;
};

// What all the devices were given, in order, silence left out; and how each opened.
struct Tape {
    std::mutex m;
    std::vector<float> heard;
    std::vector<int> rendered; // callbacks per device
    std::vector<int> rates;    // rate asked for, per device
};

// A device calling back in real time on its own thread until it is closed or it disappears
// (then, like SDL's, it stops asking for frames).
class FakeDevice : public OutputDevice {
  public:
    FakeDevice(Tape& tape, int index, const std::string& name, RenderFunction render, void* user)
        : tape_(tape), index_(index) {
        spec_.name = name;
        spec_.rate = kRate;
        spec_.bufferFrames = kDeviceFrames;
        spec_.driver = "fake";
        thread_ = std::thread([this, render, user] {
            std::vector<float> buffer(2 * kDeviceFrames);
            auto next = Clock::now();
            while (!stop_.load()) {
                next += std::chrono::microseconds(1'000'000 * kDeviceFrames / kRate);
                std::this_thread::sleep_until(next);
                if (!alive_.load()) {
                    continue;
                }
                render(user, buffer.data(), kDeviceFrames);
                std::lock_guard guard(tape_.m);
                ++tape_.rendered[static_cast<std::size_t>(index_)];
                for (int i = 0; i < kDeviceFrames; ++i) {
                    if (buffer[2 * static_cast<std::size_t>(i)] != 0.0f) {
                        tape_.heard.push_back(buffer[2 * static_cast<std::size_t>(i)]);
                    }
                }
            }
        });
    }
    ~FakeDevice() override {
        stop_.store(true);
        thread_.join();
    }
    const DeviceSpec& Spec() const override { return spec_; }
    void Lock() override { lock_.lock(); }
    void Unlock() override { lock_.unlock(); }
    bool Alive() const override { return alive_.load(); }
    void Disappear() { alive_.store(false); }

  private:
    Tape& tape_;
    int index_;
    DeviceSpec spec_;
    std::mutex lock_;
    std::atomic<bool> alive_{true};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class FakeBackend : public AudioBackend {
  public:
    Gate gate;
    Tape tape;

    std::unique_ptr<OutputDevice> OpenOutputDevice(int rate, int, RenderFunction render, void* user,
                                                   std::string& error) override {
        std::lock_guard guard(m_);
        if (!deviceLeft_) {
            error = "no device";
            return nullptr;
        }
        {
            std::lock_guard tapeGuard(tape.m);
            tape.rendered.push_back(0);
            tape.rates.push_back(rate);
        }
        auto device = std::make_unique<FakeDevice>(tape, static_cast<int>(devices_.size()),
                                                   default_, render, user);
        devices_.push_back(device.get());
        return device;
    }
    std::string DefaultOutputName() override {
        std::lock_guard guard(m_);
        return default_;
    }
    std::unique_ptr<SoundFile> OpenSoundFile(const std::string&, SoundFileError& error) override {
        error = SoundFileError::None;
        return std::make_unique<GatedFile>(gate);
    }
    std::unique_ptr<Resampler> MakeResampler(int channels, int fromRate, int toRate) override {
        return channels == 1 && fromRate == toRate ? std::make_unique<CopyingResampler>() : nullptr;
    }
    // Loads for three seconds, unless it is cancelled before.
    std::unique_ptr<MidiSynth> MakeMidiSynth(double, const std::string&,
                                             const std::atomic<bool>& cancel,
                                             std::string& error) override {
        loading.store(true);
        const auto end = Clock::now() + 3s;
        while (!cancel.load() && Clock::now() < end) {
            std::this_thread::sleep_for(1ms);
        }
        error = "cancelled";
        return nullptr;
    }
    std::atomic<bool> loading{false};

    void SetDefault(const std::string& name) {
        std::lock_guard guard(m_);
        default_ = name;
    }
    void SetDeviceLeft(bool left) {
        std::lock_guard guard(m_);
        deviceLeft_ = left;
    }
    FakeDevice& Device(std::size_t i) {
        std::lock_guard guard(m_);
        return *devices_.at(i);
    }
    std::size_t Opened() {
        std::lock_guard guard(m_);
        return devices_.size();
    }

  private:
    std::mutex m_;
    std::string default_ = "speakers";
    bool deviceLeft_ = true;
    std::vector<FakeDevice*> devices_; // owned by the engine; the first ones are closed
};

AudioSettings FakeSettings(const std::shared_ptr<FakeBackend>& backend,
                           const std::string& soundFont = "/no/such/file.sf2") {
    AudioSettings settings;
    settings.backend = backend;
    settings.soundFont = soundFont;
    settings.bufferFrames = kDeviceFrames;
    return settings;
}

// Runs a call on another thread; the ms it took, or empty when it had not returned after a
// second (it is then left to finish once `release` has run).
std::optional<double> TimedCall(const std::function<void()>& call,
                                const std::function<void()>& release) {
    auto done = std::async(std::launch::async, [&] {
        const auto start = Clock::now();
        call();
        return MsSince(start);
    });
    if (done.wait_for(1s) == std::future_status::ready) {
        return done.get();
    }
    release();
    done.wait();
    return std::nullopt;
}

} // namespace

TEST(AudioService, PlayerCommandsReturnAtOnceWhileAReadIsStalled) {
    auto backend = std::make_shared<FakeBackend>();
    auto engine = std::make_unique<AudioEngine>(FakeSettings(backend));
    const auto release = [&] { backend->gate.Open(); };

    struct Step {
        const char* name;
        std::function<void(const std::shared_ptr<Voice>&)> call;
    };
    const Step steps[] = {
        {"Play", [](const auto& v) { v->Play(0, 0); }},
        {"Pause", [](const auto& v) { v->Pause(); }},
        {"Stop", [](const auto& v) { v->Stop(); }},
        {"Play again", [](const auto& v) { v->Play(500, 0); }},
        {"Close", [&](const auto& v) { engine->Close(v); }},
    };
    // A read stalls before the first frame (a file on a sleeping disk) or in the middle of a
    // play (a network drive that stops answering).
    for (const bool midPlay : {false, true}) {
        SCOPED_TRACE(midPlay ? "stalled in the middle of a play" : "stalled at the first read");
        AudioEngine::Opened opened = engine->OpenWave("any.wav", nullptr);
        ASSERT_TRUE(opened.voice);
        const std::shared_ptr<Voice> voice = opened.voice;
        if (midPlay) {
            voice->Play(0, 0);
            engine->Wake();
            ASSERT_TRUE(WaitFor([&] { return voice->PositionMs() > 100; }, 2s));
        }
        backend->gate.Close();
        if (midPlay) {
            ASSERT_TRUE(WaitFor([&] { return backend->gate.Waiting() > 0; }, 2s));
        }
        for (const Step& step : steps) {
            SCOPED_TRACE(step.name);
            const auto ms = TimedCall([&] { step.call(voice); }, release);
            ASSERT_TRUE(ms.has_value()) << "the command waited for the stalled read";
            EXPECT_LT(*ms, 50.0); // a few ms wanted; the bound leaves room for a loaded machine
            std::cout << "  " << step.name << (midPlay ? " (stalled mid-play): " : " (stalled): ")
                      << *ms << " ms\n";
            if (!midPlay && step.name == std::string("Play")) {
                engine->Wake();
                ASSERT_TRUE(WaitFor([&] { return backend->gate.Waiting() > 0; }, 2s));
            }
        }
        EXPECT_EQ(voice->CurrentState(), Voice::Idle);
        release();
    }
    const auto start = Clock::now();
    engine.reset();
    std::cout << "  engine ended in " << MsSince(start) << " ms\n";
}

TEST(AudioService, FollowsTheDefaultDeviceAndKeepsThePlayGoing) {
    struct Case {
        const char* name;
        bool removed;       // the device disappears (else another becomes the default)
        bool noneForAWhile; // and no device can be opened for half a second
    };
    const Case cases[] = {
        {"the device is unplugged", true, false},
        {"another device becomes the default", false, false},
        {"unplugged with no device left for a while", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto backend = std::make_shared<FakeBackend>();
        auto engine = std::make_unique<AudioEngine>(FakeSettings(backend));
        const std::shared_ptr<Voice> voice = engine->OpenWave("any.wav", nullptr).voice;
        ASSERT_TRUE(voice);
        voice->Play(0, 0);
        engine->Wake();
        ASSERT_TRUE(WaitFor([&] { return voice->PositionMs() > 300; }, 3s));

        const auto start = Clock::now();
        if (c.noneForAWhile) {
            backend->SetDeviceLeft(false);
        }
        if (c.removed) {
            backend->Device(0).Disappear();
        } else {
            backend->SetDefault("headset");
        }
        if (c.noneForAWhile) {
            std::this_thread::sleep_for(500ms);
            EXPECT_EQ(backend->Opened(), 1u);
            backend->SetDeviceLeft(true);
        }
        const auto heardOnSecond = [&] {
            std::lock_guard guard(backend->tape.m);
            return backend->tape.rendered.size() == 2 && backend->tape.rendered[1] > 0;
        };
        ASSERT_TRUE(WaitFor(heardOnSecond, 2s));
        const double reopenMs = MsSince(start);
        EXPECT_LT(reopenMs, c.noneForAWhile ? 1500.0 : 1000.0);
        std::cout << "  " << c.name << ": playing again after " << reopenMs << " ms\n";
        ASSERT_TRUE(WaitFor([&] { return voice->PositionMs() > 1200; }, 3s));
        EXPECT_EQ(voice->CurrentState(), Voice::Playing);
        engine->Close(voice);
        engine.reset();

        // Every frame given to the two devices, in order: the file from its start, none lost
        // or repeated at the change, and the new device opened at the same rate.
        std::lock_guard guard(backend->tape.m);
        ASSERT_EQ(backend->tape.rates.size(), 2u);
        EXPECT_EQ(backend->tape.rates[1], kRate);
        const std::vector<float>& heard = backend->tape.heard;
        ASSERT_GT(heard.size(), static_cast<std::size_t>(kRate));
        std::size_t wrong = 0;
        for (std::size_t f = 0; f < heard.size(); ++f) {
            wrong += heard[f] != FileSample(static_cast<std::int64_t>(f));
        }
        EXPECT_EQ(wrong, 0u);
    }
}

TEST(AudioService, EndingWhileTheSoundFontLoadsGivesTheLoadUp) {
    TempDir dir;
    WriteFile(dir.File("slow.sf2"), Bytes{'R', 'I', 'F', 'F'});
    auto backend = std::make_shared<FakeBackend>();
    auto engine = std::make_unique<AudioEngine>(FakeSettings(backend, dir.File("slow.sf2")));
    ASSERT_TRUE(WaitFor([&] { return backend->loading.load(); }, 2s));
    EXPECT_EQ(engine->Info().soundFont, SoundFontState::Loading);
    const auto ms = TimedCall([&] { engine.reset(); }, [] {});
    ASSERT_TRUE(ms.has_value()) << "the engine waited for the SoundFont load";
    EXPECT_LT(*ms, 200.0); // under 100 ms wanted; the load alone would take 3 s
    std::cout << "  ended during the SoundFont load in " << *ms << " ms\n";

    // The real synthesiser stops its load at the flag: a load given up makes no synthesiser.
    const std::string soundFont = SystemSoundFont();
    ASSERT_FALSE(soundFont.empty());
    std::string error;
    std::atomic<bool> cancel{false};
    auto start = Clock::now();
    EXPECT_TRUE(MakeMidiSynth(48000, soundFont, cancel, error)) << error;
    const double loadMs = MsSince(start);
    cancel.store(true);
    start = Clock::now();
    EXPECT_FALSE(MakeMidiSynth(48000, soundFont, cancel, error));
    std::cout << "  SoundFont load " << loadMs << " ms, given up in " << MsSince(start) << " ms\n";

    // The same on the real stack: an engine ended while its SoundFont loads.
    AudioSettings real;
    real.soundFont = soundFont;
    auto realEngine = std::make_unique<AudioEngine>(real);
    std::this_thread::sleep_for(10ms);
    const bool loading = realEngine->Info().soundFont == SoundFontState::Loading;
    start = Clock::now();
    realEngine.reset();
    std::cout << "  real engine ended " << (loading ? "during" : "after") << " its load in "
              << MsSince(start) << " ms\n";
}
