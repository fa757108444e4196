// The spectrum view's transform beside FFTW (the yardstick, measured in the same run), and one
// mouse move over the spectrum picture.
#include "bench_files.h"
#include "spectrum/real_fft.h"
#include "spectrum/spectrum_view.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kBlock = 32768;

// A sound-like block: a tone with harmonics and a little hiss, as 16-bit sample values.
std::vector<double> SoundBlock() {
    std::vector<double> x(kBlock);
    unsigned noise = 12345;
    for (int j = 0; j < kBlock; ++j) {
        noise = noise * 1103515245u + 12345u;
        const double t = j / 44100.0;
        x[static_cast<std::size_t>(j)] = 9000 * std::sin(2 * 3.14159265358979 * 329.63 * t) +
                                         3000 * std::sin(2 * 3.14159265358979 * 659.26 * t) +
                                         static_cast<double>(noise >> 20) - 2048;
    }
    return x;
}

void BM_REALFT_32768(benchmark::State& state) {
    const std::vector<double> x = SoundBlock();
    std::vector<double> y(kBlock + 1);
    for (auto _ : state) {
        std::copy(x.begin(), x.end(), y.begin() + 1); // the transform works in place
        REALFT(y, kBlock / 2, 1);
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_REALFT_32768)->Unit(benchmark::kMicrosecond);

void BM_FFTW_r2c_32768(benchmark::State& state) {
    const std::vector<double> x = SoundBlock();
    double* in = fftw_alloc_real(kBlock);
    fftw_complex* out = fftw_alloc_complex(kBlock / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(kBlock, in, out, FFTW_ESTIMATE);
    for (auto _ : state) {
        std::copy(x.begin(), x.end(), in); // the same copy as the in-place transform pays
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(out);
    fftw_free(in);
}
BENCHMARK(BM_FFTW_r2c_32768)->Unit(benchmark::kMicrosecond);

// One mouse move with no button: frequency, note, octave and height readouts and the cursor.
void BM_SpectrumHover(benchmark::State& state) {
    BenchShell shell;
    Form101 view(shell.services, shell, shell.notes, shell);
    view.Form_Load();
    int i = 0;
    for (auto _ : state) {
        // A different place each time, so every move really renames.
        const float x = 9000.0f + static_cast<float>(i % 97) * 53.0f;
        const float y = 400.0f + static_cast<float>(i % 13) * 100.0f;
        view.Picture2_MouseMove(0, 0, x, y);
        ++i;
    }
}
BENCHMARK(BM_SpectrumHover)->Unit(benchmark::kMicrosecond);

} // namespace
