// The audio engine's latency and load, each beside the device's own yardstick from the same
// run: "Play" to the first sounding frame against one buffer period of the open device, and
// the device thread's CPU share while a stereo 44.1 kHz file plays against the same thread idle.
#include "audio/audio_engine.h"
#include "bench_files.h"
#include "ui/mm_control.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100; // frames per second of the played file
constexpr double kToneHz = 440.0;

// A stereo 16-bit tone that sounds from its first frame.
std::string WriteTone(double seconds) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "tonvexa-bench-tone.wav").string();
    const auto frames = static_cast<std::uint32_t>(seconds * kRate);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    PutWaveHeader16(out, 2, kRate, frames);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const int v = static_cast<int>(10000 * std::cos(2 * M_PI * kToneHz * i / kRate));
        Put16(out, v);
        Put16(out, v);
    }
    return path;
}

// An engine on the silent real-time driver, with its real buffer size.
class DummyEngine : public AudioEngine {
  public:
    DummyEngine() : AudioEngine(DummyDriver()) {}

  private:
    static AudioSettings DummyDriver() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        return {};
    }
};

double BufferPeriodMs(const AudioEngine& engine) {
    const AudioInfo info = engine.Info();
    return 1000.0 * info.bufferFrames / info.rate;
}

void Pump(int ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// CPU share (percent of one core) of the device thread over a stretch of wall time.
double DeviceThreadShare(AudioEngine& engine, int ms) {
    engine.SetCpuProbe(true);
    Pump(50);
    const ThreadTimes a = engine.DeviceThreadTimes();
    Pump(ms);
    const ThreadTimes b = engine.DeviceThreadTimes();
    engine.SetCpuProbe(false);
    return 100.0 * static_cast<double>(b.cpuNs - a.cpuNs) /
           static_cast<double>(b.wallNs - a.wallNs);
}

void BM_PlayToFirstSound(benchmark::State& state) {
    DummyEngine engine;
    MMControl mmc(engine);
    mmc.SetDeviceType("WaveAudio");
    mmc.SetFileName(WriteTone(1.0));
    mmc.SetCommand("Open");
    if (mmc.Error() != 0) {
        state.SkipWithError("cannot open the tone");
        return;
    }
    double worst = 0;
    for (auto _ : state) {
        engine.ArmFirstSoundProbe();
        const auto t0 = Clock::now();
        mmc.SetCommand("Play");
        std::optional<Clock::time_point> heard;
        while (!(heard = engine.FirstSoundTime()) && Clock::now() - t0 < std::chrono::seconds(1)) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        if (!heard) {
            state.SkipWithError("no sound within a second");
            break;
        }
        const double ms = std::chrono::duration<double, std::milli>(*heard - t0).count();
        worst = std::max(worst, ms);
        state.SetIterationTime(ms / 1000.0);
        mmc.SetCommand("Stop");
        Pump(3);
    }
    mmc.SetCommand("Close");
    state.counters["worst_ms"] = worst;
    state.counters["buffer_ms"] = BufferPeriodMs(engine);
}
BENCHMARK(BM_PlayToFirstSound)->Iterations(60)->UseManualTime()->Unit(benchmark::kMillisecond);

// One buffer period of the open device, measured as the average time between callbacks.
void BM_DeviceBufferPeriod(benchmark::State& state) {
    DummyEngine engine;
    for (auto _ : state) {
        engine.SetCpuProbe(true);
        std::int64_t last = engine.DeviceThreadTimes().wallNs;
        std::int64_t first = 0;
        int periods = -1;
        const auto end = Clock::now() + std::chrono::milliseconds(500);
        while (Clock::now() < end) {
            const std::int64_t now = engine.DeviceThreadTimes().wallNs;
            if (now != last) {
                if (periods < 0) {
                    first = now;
                }
                ++periods;
                last = now;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        engine.SetCpuProbe(false);
        state.SetIterationTime(periods > 0 ? (last - first) / 1e9 / periods : 0.0);
    }
    state.counters["nominal_ms"] = BufferPeriodMs(engine);
    state.counters["frames"] = engine.Info().bufferFrames;
}
BENCHMARK(BM_DeviceBufferPeriod)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// The device thread's CPU share while a stereo 44.1 kHz file plays, beside the same thread idle.
void BM_AudioThreadCpuShare(benchmark::State& state) {
    DummyEngine engine;
    MMControl mmc(engine);
    mmc.SetDeviceType("WaveAudio");
    mmc.SetFileName(WriteTone(3.0));
    mmc.SetCommand("Open");
    double playing = 0, idle = 0;
    for (auto _ : state) {
        idle = DeviceThreadShare(engine, 500);
        mmc.SetCommand("Play");
        playing = DeviceThreadShare(engine, 2000);
        mmc.SetCommand("Stop");
    }
    mmc.SetCommand("Close");
    state.counters["playing_cpu_pct"] = playing;
    state.counters["idle_cpu_pct"] = idle;
}
BENCHMARK(BM_AudioThreadCpuShare)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
