// "Play harmonics" hands over from the selection to its resynthesis: the time from the
// selection's last frame to the resynthesis's first, measured in the frames the sound device
// really received (SDL's disk driver), beside the device's buffer period from the same run. The
// wave player plays the range, the resynthesis and the range as one sound.
#include "audio/audio_engine.h"
#include "base/wave_writer.h"
#include "spectrum/resynthesis.h"
#include "ui/mm_control.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kToneHz = 220.0;
constexpr std::int32_t kRangeMs = 500; // the selection played before and after
constexpr double kResynthesisSeconds = 0.5;
constexpr double kSampleScale = 32768.0; // the player's scale of 16-bit samples

// An engine on SDL's disk driver, whose file receives every frame handed to the device.
class DiskEngine {
  public:
    explicit DiskEngine(const std::string& capture) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
        engine.emplace();
    }
    ~DiskEngine() {
        engine.reset();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    DiskEngine(const DiskEngine&) = delete;
    DiskEngine& operator=(const DiskEngine&) = delete;
    std::optional<AudioEngine> engine;
};

// A comb that read five partials of 220 Hz falling 6 dB each.
CombReading FivePartials() {
    CombReading comb;
    for (std::int32_t n = 1; n <= kCombLines; ++n) {
        PartialReading& line = comb.lines[static_cast<std::size_t>(n - 1)];
        line.n = n;
        line.lineHz = n * kToneHz;
        if (n <= 5) {
            line.status = PartialStatus::Measured;
            line.measuredHz = line.lineHz;
            line.levelDb = -6.0 * (n - 1);
        }
    }
    return comb;
}

// A mono 16-bit tone that sounds from its first frame, at the device's rate.
std::vector<std::int16_t> Tone(int rate, double seconds) {
    std::vector<std::int16_t> x(static_cast<std::size_t>(seconds * rate));
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = static_cast<std::int16_t>(
            std::lround(8000 * std::cos(2 * M_PI * kToneHz * static_cast<double>(i) / rate)));
    }
    return x;
}

std::vector<float> ReadCapture(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    std::vector<float> stereo(raw.size() / sizeof(float));
    std::memcpy(stereo.data(), raw.data(), stereo.size() * sizeof(float));
    return stereo;
}

void BM_ResynthesisStartsAfterTheSelection(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path();
    const std::string capture = (dir / "tonvexa-bench-harmonics.raw").string();
    const std::string wave = (dir / "tonvexa-bench-harmonics.wav").string();
    double worstMs = 0.0, bufferMs = 0.0;
    int bufferFrames = 0;
    int rate = 1;
    for (auto _ : state) {
        std::filesystem::remove(capture);
        std::size_t rangeFrames = 0;
        std::vector<float> insert;
        {
            DiskEngine disk(capture);
            AudioEngine& engine = *disk.engine;
            const AudioInfo info = engine.Info();
            bufferFrames = info.bufferFrames;
            rate = info.rate;
            bufferMs = 1000.0 * info.bufferFrames / info.rate;
            if (!WriteWave16Mono(wave, Tone(info.rate, 1.0), info.rate).empty()) {
                state.SkipWithError("cannot write the tone");
                return;
            }
            insert = Resynthesise(FivePartials(), {kResynthesisSeconds, 0.1, info.rate}).samples;
            rangeFrames = static_cast<std::size_t>(std::llround(kRangeMs * info.rate / 1000.0));
            MMControl mmc(engine);
            bool done = false;
            mmc.Done = [&] { done = true; };
            mmc.SetDeviceType("WaveAudio");
            mmc.SetFileName(wave);
            mmc.SpliceNextOpen({0, kRangeMs, insert, info.rate});
            mmc.SetCommand("Open");
            mmc.SetCommand("Play");
            const auto end = Clock::now() + std::chrono::seconds(10);
            while (!done && Clock::now() < end) {
                QCoreApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            mmc.SetCommand("Close");
            if (!done) {
                state.SkipWithError("the play did not end");
                return;
            }
        }
        const std::vector<float> stereo = ReadCapture(capture);
        const std::size_t frames = stereo.size() / 2;
        std::size_t onset = 0;
        while (onset < frames && stereo[2 * onset] == 0.0f) {
            ++onset;
        }
        // The first frame after the selection's last one at which the resynthesis begins.
        const std::size_t selectionEnd = onset + rangeFrames;
        std::optional<std::size_t> gap;
        for (std::size_t d = 0; d < 8u * static_cast<std::size_t>(bufferFrames) && !gap; ++d) {
            bool same = selectionEnd + d + insert.size() <= frames;
            for (std::size_t i = 0; i < insert.size() && same; i += 5) {
                same = std::abs(stereo[2 * (selectionEnd + d + i)] - insert[i]) < 1e-5f;
            }
            if (same) {
                gap = d;
            }
        }
        if (!gap || std::abs(stereo[2 * onset] - 8000 / kSampleScale) > 1e-6) {
            state.SkipWithError("the resynthesis was not found after the selection");
            return;
        }
        const double ms = 1000.0 * static_cast<double>(*gap) / rate;
        worstMs = std::max(worstMs, ms);
        state.counters["gap_frames"] = static_cast<double>(*gap);
    }
    std::filesystem::remove(capture);
    std::filesystem::remove(wave);
    state.counters["worst_ms"] = worstMs;
    state.counters["buffer_ms"] = bufferMs;
    state.counters["buffer_periods"] = bufferMs > 0 ? worstMs / bufferMs : 0.0;
}
// The time of an iteration is the whole play (0.5 s, 0.5 s, 0.5 s) with the engine's start and
// end; the figure is worst_ms beside buffer_ms.
BENCHMARK(BM_ResynthesisStartsAfterTheSelection)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
