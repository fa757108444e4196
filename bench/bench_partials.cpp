// The comb's reading and its resynthesis, each beside its yardstick from the same run: the 17
// partials read off a 32768-point block padded x 8 against one 60 Hz display frame (and the
// padded transform the reading follows), and 4 s of resynthesis against the 4 s it lasts.
#include "spectrum/analysis_window.h"
#include "spectrum/partials.h"
#include "spectrum/resynthesis.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kBlock = 32768;
constexpr int kPadding = 8;
constexpr double kRate = 44100.0;
// The widest comb whose 17 lines stay below the Nyquist frequency: the most bins to search.
constexpr double kCombHz = 1290.0;
constexpr double kFrameMs = 1000.0 / 60.0; // one display frame at 60 Hz
constexpr double kResynthesisSeconds = 4.0;
constexpr int kResynthesisRate = 48000;

// A tone with 17 partials falling 2 dB each, and a little hiss, as 16-bit sample values.
std::vector<double> SeventeenPartials() {
    std::vector<double> y(kBlock + 1, 0.0);
    unsigned noise = 12345;
    for (int j = 0; j < kBlock; ++j) {
        noise = noise * 1103515245u + 12345u;
        double v = static_cast<double>(noise >> 22) - 512.0;
        for (int n = 1; n <= kCombLines; ++n) {
            v += 9000.0 * std::pow(10.0, -0.1 * (n - 1)) *
                 std::sin(2 * 3.14159265358979 * n * kCombHz * j / kRate + n);
        }
        y[static_cast<std::size_t>(j) + 1] = v;
    }
    return y;
}

struct Analysed {
    SpectrumArrays arrays;
    std::vector<double> work;
    std::int32_t ftnpont = 0;
};

const AnalysisSettings kSettings{AnalysisWindow::Hann, kPadding};

// The padded, windowed transform of the block that the comb then reads.
void BM_AnalyseBlock_32768x8(benchmark::State& state) {
    const std::vector<double> y = SeventeenPartials();
    Analysed a;
    for (auto _ : state) {
        a.ftnpont = AnalyseBlock(y, kBlock, kSettings, a.work, a.arrays);
        benchmark::DoNotOptimize(a.arrays.MagFt.data());
    }
    state.counters["frame_ms"] = kFrameMs;
}
BENCHMARK(BM_AnalyseBlock_32768x8)->Unit(benchmark::kMillisecond);

void BM_MeasurePartials_32768x8(benchmark::State& state) {
    Analysed a;
    a.ftnpont = AnalyseBlock(SeventeenPartials(), kBlock, kSettings, a.work, a.arrays);
    const MagnitudeSpectrum s{a.arrays.MagFt, a.ftnpont, kRate, kSettings};
    Clock::duration spent{};
    int measured = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const CombReading comb = MeasurePartials(s, kCombHz);
        spent += Clock::now() - t0;
        benchmark::DoNotOptimize(comb.lines.data());
        measured = 0;
        for (const PartialReading& line : comb.lines) {
            measured += line.status == PartialStatus::Measured ? 1 : 0;
        }
    }
    if (measured != kCombLines) {
        state.SkipWithError("not every partial was measured");
        return;
    }
    const double ms = std::chrono::duration<double, std::milli>(spent).count() /
                      static_cast<double>(state.iterations());
    state.counters["frame_ms"] = kFrameMs;
    state.counters["pct_of_frame"] = 100.0 * ms / kFrameMs;
}
BENCHMARK(BM_MeasurePartials_32768x8)->Unit(benchmark::kMicrosecond);

void BM_Resynthesis_4s_48k(benchmark::State& state) {
    Analysed a;
    a.ftnpont = AnalyseBlock(SeventeenPartials(), kBlock, kSettings, a.work, a.arrays);
    const CombReading comb =
        MeasurePartials({a.arrays.MagFt, a.ftnpont, kRate, kSettings}, kCombHz);
    const ResynthesisRequest request{kResynthesisSeconds, 0.1, kResynthesisRate};
    Clock::duration spent{};
    std::size_t frames = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const Resynthesis r = Resynthesise(comb, request);
        spent += Clock::now() - t0;
        frames = r.samples.size();
        benchmark::DoNotOptimize(r.samples.data());
    }
    if (frames != static_cast<std::size_t>(kResynthesisSeconds * kResynthesisRate)) {
        state.SkipWithError("the resynthesis is not 4 s long");
        return;
    }
    const double ms = std::chrono::duration<double, std::milli>(spent).count() /
                      static_cast<double>(state.iterations());
    state.counters["sound_ms"] = 1000.0 * kResynthesisSeconds;
    state.counters["x_realtime"] = 1000.0 * kResynthesisSeconds / ms;
}
BENCHMARK(BM_Resynthesis_4s_48k)->Unit(benchmark::kMillisecond);

} // namespace
