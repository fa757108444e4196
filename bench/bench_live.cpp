// Following playback, each figure beside its yardstick from the same run:
// - one follow frame at 32768 points (reading the block, the window, the transform, drawing
//   the spectrum and the strip, painting), beside a quarter of the display's frame; padded x 8
//   beside half of it;
// - 60 s of following at 32768 points padded x 8 on the real-time driver: the device's buffers
//   a wave voice could not fill (zero wanted), the worst device callback beside a quarter of
//   the buffer period and beside the worst of 10 s of the same play not followed, the
//   user-interface thread's share of a core beside 35 % (and, first, 10 s at 32768 points
//   without padding);
// - sound to screen: from the device taking a tone's first frame to the first block that holds
//   it on show, beside 1.5 display frames plus the device's latency.
#include "bench_files.h"

#include "audio/audio_engine.h"
#include "shell/live_analysis.h"
#include "shell/program.h"
#include "spectrum/spectrum_view.h"
#include "waveview/waveform_view.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRate = 44100;

// A mono 16-bit file: `silence` seconds of nothing, then plucked E4 notes (a new pluck every
// second, the upper partials dying first) up to `seconds`.
std::string WritePlucks(const std::string& name, double seconds, double silence) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    const auto frames = static_cast<std::uint32_t>(seconds * kRate);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    PutWaveHeader16(out, 1, kRate, frames);
    const auto quiet = static_cast<std::uint32_t>(silence * kRate);
    for (std::uint32_t i = 0; i < frames; ++i) {
        double v = 0;
        if (i >= quiet) {
            const double t = static_cast<double>((i - quiet) % kRate) / kRate;
            for (int h = 1; h <= 6; ++h) {
                v += std::exp(-t * 2.0 * h) / h *
                     std::sin(2 * std::numbers::pi * 329.63 * h * static_cast<double>(i) / kRate);
            }
        }
        Put16(out, static_cast<int>(12000 * v));
    }
    return path;
}

// An engine on the silent real-time driver, with a real device thread.
AudioSettings DummyDriver() {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    return {};
}

std::int64_t ThisThreadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

void RunEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The program with a file loaded and (when `select`) most of it selected.
class LiveBench {
  public:
    LiveBench(AudioEngine& engine, const std::string& file, bool select)
        : folder_(std::filesystem::temp_directory_path() / "tonvexa-bench-live"),
          program_(shell_.services, engine, Folders()) {
        program_.Frame().Timer2.SetEnabled(false);
        program_.Show();
        program_.Frame().OpenFile(file);
        if (select) {
            Form103& wave = program_.WaveView();
            wave.Picture2_MouseDown(1, 0, 100, 100);
            wave.Picture2_MouseMove(1, 0, 9000, 100);
            wave.Picture2_MouseUp(1, 0, 9000, 100);
        }
    }
    ~LiveBench() { std::filesystem::remove_all(folder_); }
    Program& program() { return program_; }
    std::string Points() { return program_.WaveView().FftPoints().Caption(); }

  private:
    ProgramFolders Folders() {
        std::filesystem::create_directories(folder_);
        return {folder_.string(), folder_.string()};
    }
    BenchShell shell_;
    std::filesystem::path folder_;
    Program program_;
};

void FollowFrame(benchmark::State& state, std::int32_t padding, double share) {
    BenchShell shell; // an engine without a device thread: the frame alone is measured
    LiveBench bench(shell.engine, WritePlucks("tonvexa-bench-plucks.wav", 4.0, 0.0), true);
    if (bench.Points() != "32768") {
        state.SkipWithError("the selection does not give 32768 points");
        return;
    }
    Program& program = bench.program();
    program.SpectrumView().SetAnalysis({AnalysisWindow::Hann, padding});
    LiveAnalysis& live = program.Live();
    double ms = 1000;
    const double frameMs = live.FrameIntervalMs();
    double a = 0, b = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        live.ShowHeardBlock(ms);
        auto t1 = Clock::now();
        // Painting the spectrum, the strip and the status line.
        QCoreApplication::processEvents();
        auto t2 = Clock::now();
        a += std::chrono::duration<double, std::milli>(t1 - t0).count();
        b += std::chrono::duration<double, std::milli>(t2 - t1).count();
        ms = ms > 3500 ? 1000 : ms + frameMs;
    }
    state.counters["analyse_draw_ms"] = a / state.iterations();
    state.counters["paint_ms"] = b / state.iterations();
    state.counters["display_frame_ms"] = frameMs;
    state.counters["budget_ms"] = frameMs * share;
    state.counters["bins"] = program.SpectrumView().NPontGraf;
}

void BM_FollowFrame_32768(benchmark::State& state) {
    FollowFrame(state, 1, 0.25);
}
BENCHMARK(BM_FollowFrame_32768)->Unit(benchmark::kMillisecond);

void BM_FollowFrame_32768Padded8(benchmark::State& state) {
    FollowFrame(state, 8, 0.5);
}
BENCHMARK(BM_FollowFrame_32768Padded8)->Unit(benchmark::kMillisecond);

// 60 s of a play followed at 32768 points padded x 8, on the real-time driver.
void BM_Follow60s_32768Padded8(benchmark::State& state) {
    AudioEngine engine(DummyDriver());
    LiveBench bench(engine, WritePlucks("tonvexa-bench-long.wav", 70.0, 0.0), true);
    if (bench.Points() != "32768") {
        state.SkipWithError("the selection does not give 32768 points");
        return;
    }
    Program& program = bench.program();
    program.SpectrumView().SetAnalysis({AnalysisWindow::Hann, 8});
    LiveAnalysis& live = program.Live();
    Form103& wave = program.WaveView();
    constexpr int kRunMs = 60000;
    constexpr int kUnfollowedMs = 10000;
    double uiShare = 0, worstMs = 0, worstUnfollowedMs = 0;
    double slow = 0, slowUnfollowed = 0, callbacks = 0, uiShareUnpadded = 0;
    std::uint64_t underruns = 0;
    std::int64_t blocks = 0;
    for (auto _ : state) {
        // The yardstick of the worst callback on this machine as it is loaded now: the same
        // play, not followed.
        wave.Command1_Click();
        RunEventsFor(200);
        engine.SetCpuProbe(true);
        RunEventsFor(kUnfollowedMs);
        worstUnfollowedMs = static_cast<double>(engine.WorstCallbackNs()) / 1e6;
        slowUnfollowed = static_cast<double>(engine.SlowCallbacks());
        engine.SetCpuProbe(false);
        wave.Command3_Click();
        RunEventsFor(100);
        live.SetFollow(true);
        // The user-interface thread's share at 32768 points without padding, 10 s.
        program.SpectrumView().SetAnalysis({AnalysisWindow::Hann, 1});
        wave.Command1_Click();
        RunEventsFor(200);
        {
            const std::int64_t cpu0 = ThisThreadCpuNs();
            const auto wall0 = Clock::now();
            RunEventsFor(kUnfollowedMs);
            const double wallNs =
                std::chrono::duration<double, std::nano>(Clock::now() - wall0).count();
            uiShareUnpadded = 100.0 * static_cast<double>(ThisThreadCpuNs() - cpu0) / wallNs;
        }
        wave.Command3_Click();
        RunEventsFor(100);
        program.SpectrumView().SetAnalysis({AnalysisWindow::Hann, 8});
        wave.Command1_Click();
        RunEventsFor(200); // the play under way
        engine.SetCpuProbe(true);
        const std::uint64_t underrunsBefore = engine.Underruns();
        const std::int64_t blocksBefore = live.BlocksShown();
        const std::int64_t cpu0 = ThisThreadCpuNs();
        const auto wall0 = Clock::now();
        RunEventsFor(kRunMs);
        const double wallNs =
            std::chrono::duration<double, std::nano>(Clock::now() - wall0).count();
        uiShare = 100.0 * static_cast<double>(ThisThreadCpuNs() - cpu0) / wallNs;
        worstMs = static_cast<double>(engine.WorstCallbackNs()) / 1e6;
        slow = static_cast<double>(engine.SlowCallbacks());
        callbacks = static_cast<double>(engine.Callbacks());
        engine.SetCpuProbe(false);
        underruns = engine.Underruns() - underrunsBefore;
        blocks = live.BlocksShown() - blocksBefore;
        state.SetIterationTime(wallNs / 1e9);
        wave.Command3_Click();
        RunEventsFor(100);
    }
    const AudioInfo info = engine.Info();
    state.counters["underruns"] = static_cast<double>(underruns);
    state.counters["blocks_per_s"] = static_cast<double>(blocks) * 1000.0 / kRunMs;
    state.counters["worst_callback_ms"] = worstMs;
    state.counters["worst_callback_unfollowed_ms"] = worstUnfollowedMs;
    state.counters["callbacks"] = callbacks;
    state.counters["slow_callbacks"] = slow;
    state.counters["slow_callbacks_unfollowed_10s"] = slowUnfollowed;
    state.counters["quarter_buffer_ms"] = 1000.0 * info.bufferFrames / info.rate / 4;
    state.counters["ui_cpu_pct_padded8"] = uiShare;
    state.counters["ui_cpu_pct_32768"] = uiShareUnpadded;
    state.counters["ui_budget_pct"] = 35;
}
BENCHMARK(BM_Follow60s_32768Padded8)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// From the device taking the first frame of a tone that follows silence to the first block on
// show that holds it.
void BM_SoundToScreen(benchmark::State& state) {
    AudioEngine engine(DummyDriver());
    LiveBench bench(engine, WritePlucks("tonvexa-bench-onset.wav", 1.0, 0.5), false);
    Program& program = bench.program();
    LiveAnalysis& live = program.Live();
    live.SetFollow(true);
    Form103& wave = program.WaveView();
    const Form101& spectrum = program.SpectrumView();
    std::optional<Clock::time_point> shown;
    live.BlockShown = [&](double) {
        if (!shown && spectrum.Arrays().MagMax > 0) {
            shown = Clock::now();
        }
    };
    double worst = 0;
    for (auto _ : state) {
        shown.reset();
        engine.ArmFirstSoundProbe();
        wave.Command1_Click();
        const auto t0 = Clock::now();
        while ((!shown || !engine.FirstSoundTime()) &&
               Clock::now() - t0 < std::chrono::seconds(3)) {
            RunEventsFor(1);
        }
        if (!shown || !engine.FirstSoundTime()) {
            state.SkipWithError("the tone never showed");
            break;
        }
        const double ms =
            std::chrono::duration<double, std::milli>(*shown - *engine.FirstSoundTime()).count();
        worst = std::max(worst, ms);
        state.SetIterationTime(std::max(ms, 0.0) / 1000.0);
        wave.Command3_Click();
        while (!wave.PlayIdle && Clock::now() - t0 < std::chrono::seconds(5)) {
            RunEventsFor(5);
        }
    }
    live.BlockShown = nullptr;
    state.counters["worst_ms"] = worst;
    state.counters["yardstick_ms"] = 1.5 * live.FrameIntervalMs() + live.LatencyMs();
    state.counters["latency_ms"] = live.LatencyMs();
}
BENCHMARK(BM_SoundToScreen)->Iterations(12)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
