// The Analysis menu's costs, each beside a yardstick measured in the same run:
// - "FFT" from the click to the drawn spectrum with Blackman-Harris and padding x 8 on a
//   32768-point selection (262144-point transform, 131072 bins drawn), beside FFTW's real
//   transform of 262144 points;
// - a change of window on a 4096-point block on show (transform and drawing), beside FFTW's
//   real transform of 4096 points;
// - redrawing 131072 padded bins (a style change), beside redrawing the 16384 bins of the
//   largest unpadded spectrum.
#include "bench_files.h"

#include "shell/spectrum_analysis.h"
#include "spectrum/spectrum_view.h"
#include "ui/common_dialog.h"
#include "waveview/waveform_view.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr int kFirstFrame = 1000;
constexpr int kSelection = 40000; // gives 32768 points
constexpr int kBlock = 32768;
constexpr int kPadded = kBlock * 8;

// A sound-like block of n samples: two tones and a little hiss, as 16-bit sample values.
std::vector<double> SoundBlock(int n) {
    std::vector<double> y(static_cast<std::size_t>(n) + 1, 0.0);
    unsigned noise = 12345;
    for (int j = 0; j < n; ++j) {
        noise = noise * 1103515245u + 12345u;
        const double t = j / 44100.0;
        y[static_cast<std::size_t>(j) + 1] = 9000 * std::sin(2 * 3.14159265358979 * 329.63 * t) +
                                             3000 * std::sin(2 * 3.14159265358979 * 659.26 * t) +
                                             static_cast<double>(noise >> 20) - 2048;
    }
    return y;
}

void BM_FftClickBlackmanHarrisPadded8_32768(benchmark::State& state) {
    BenchShell shell;
    shell.dialog.SetFileName(TwoSecondStereo16());
    Form101 spectrum(shell.services, shell, shell.notes, shell);
    spectrum.Form_Load();
    spectrum.SetAnalysis({AnalysisWindow::BlackmanHarris, 8});
    SpectrumAnalysis analysis(spectrum);
    Form103 view(shell.services, shell.channel1, shell, analysis, shell.engine);
    view.Form_Load();
    view.LerFileDad_3();
    const_cast<Label&>(view.SelIniPoint()).SetCaption(std::to_string(kFirstFrame));
    const_cast<Label&>(view.SelPoints()).SetCaption(std::to_string(kSelection));
    view.PonTransf();
    if (view.FftPoints().Caption() != std::to_string(kBlock)) {
        state.SkipWithError("the selection does not give 32768 points");
        return;
    }
    for (auto _ : state) {
        view.Command5_Click();
        // Reading a pixel flushes the drawing still pending.
        benchmark::DoNotOptimize(spectrum.Picture2.PixelAt(15900, 1000));
    }
    if (spectrum.NPontGraf != kPadded / 2) {
        state.SkipWithError("no padded spectrum was drawn");
    }
}
BENCHMARK(BM_FftClickBlackmanHarrisPadded8_32768)->Unit(benchmark::kMillisecond);

void FftwRealTransform(benchmark::State& state, int n) {
    const std::vector<double> x = SoundBlock(n);
    double* in = fftw_alloc_real(static_cast<std::size_t>(n));
    fftw_complex* out = fftw_alloc_complex(static_cast<std::size_t>(n) / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in, out, FFTW_ESTIMATE);
    for (auto _ : state) {
        std::copy(x.begin() + 1, x.end(), in);
        fftw_execute(plan);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(out);
    fftw_free(in);
}

void BM_FFTW_r2c_262144(benchmark::State& state) {
    FftwRealTransform(state, kPadded);
}
BENCHMARK(BM_FFTW_r2c_262144)->Unit(benchmark::kMillisecond);

// The menu's command: the view transforms the block on show again and draws it.
void BM_ChangeWindow_4096(benchmark::State& state) {
    BenchShell shell;
    Form101 view(shell.services, shell, shell.notes, shell);
    view.Form_Load();
    std::vector<double> y = SoundBlock(4096);
    view.FftWave(y, 4096, 44100);
    const AnalysisWindow windows[] = {AnalysisWindow::Hann, AnalysisWindow::BlackmanHarris};
    int i = 0;
    for (auto _ : state) {
        view.SetAnalysis({windows[i++ % 2], 1});
        benchmark::DoNotOptimize(view.Picture2.PixelAt(15900, 1000));
    }
}
BENCHMARK(BM_ChangeWindow_4096)->Unit(benchmark::kMillisecond);

void BM_FFTW_r2c_4096(benchmark::State& state) {
    FftwRealTransform(state, 4096);
}
BENCHMARK(BM_FFTW_r2c_4096)->Unit(benchmark::kMillisecond);

// A redraw of the spectrum on show (what a style or colour change does), frozen reference
// included when `frozen`.
void Redraw(benchmark::State& state, AnalysisSettings settings, bool frozen) {
    BenchShell shell;
    Form101 view(shell.services, shell, shell.notes, shell);
    view.Form_Load();
    view.SetAnalysis(settings);
    std::vector<double> y = SoundBlock(kBlock);
    view.FftWave(y, kBlock, 44100);
    if (frozen) {
        view.FreezeSpectrum();
    }
    for (auto _ : state) {
        view.Grafmesmo(view.NPontGraf, false);
        benchmark::DoNotOptimize(view.Picture2.PixelAt(15900, 1000));
    }
    state.counters["bins"] = view.NPontGraf;
}

void BM_Redraw_16384Bins(benchmark::State& state) {
    Redraw(state, {}, false);
}
BENCHMARK(BM_Redraw_16384Bins)->Unit(benchmark::kMillisecond);

void BM_Redraw_131072Bins(benchmark::State& state) {
    Redraw(state, {AnalysisWindow::Hann, 8}, false);
}
BENCHMARK(BM_Redraw_131072Bins)->Unit(benchmark::kMillisecond);

void BM_Redraw_131072BinsOverAFrozenOne(benchmark::State& state) {
    Redraw(state, {AnalysisWindow::Hann, 8}, true);
}
BENCHMARK(BM_Redraw_131072BinsOverAFrozenOne)->Unit(benchmark::kMillisecond);

} // namespace
