// "FFT" from the click to the drawn spectrum, on a 32768-point selection of CD-quality stereo,
// beside the least the same job needs (the yardstick): one read of the selected bytes, FFTW's
// real transform of the chosen channel and its magnitudes, with no drawing.
#include "bench_files.h"

#include "shell/spectrum_analysis.h"
#include "spectrum/spectrum_view.h"
#include "ui/common_dialog.h"
#include "waveview/waveform_view.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kFirstFrame = 1000; // the selection: frames 1000 .. 40999
constexpr int kSelection = 40000; // more than 32768 frames
constexpr int kBlock = 32768;     // the transform size that selection gives
constexpr int kHeaderBytes = 44;  // canonical header; the data starts at position 45
constexpr int kBytesPerFrame = 4; // 16-bit stereo

void BM_FftClickToSpectrum_32768(benchmark::State& state) {
    BenchShell shell;
    shell.dialog.SetFileName(TwoSecondStereo16());
    Form101 spectrum(shell.services, shell, shell.notes, shell);
    spectrum.Form_Load();
    SpectrumAnalysis analysis(spectrum);
    Form103 view(shell.services, shell.channel1, shell, analysis, shell.engine);
    view.Form_Load();
    view.LerFileDad_3();
    // The selection's labels as a drag would leave them.
    const_cast<Label&>(view.SelIniPoint()).SetCaption(std::to_string(kFirstFrame));
    const_cast<Label&>(view.SelPoints()).SetCaption(std::to_string(kSelection));
    view.PonTransf();
    if (view.FftPoints().Caption() != std::to_string(kBlock)) {
        state.SkipWithError("the selection does not give 32768 points");
        return;
    }
    for (auto _ : state) {
        view.Command5_Click();
        // The drawing is really on the picture: reading a pixel flushes what is pending.
        benchmark::DoNotOptimize(spectrum.Picture2.PixelAt(15900, 1000));
    }
    if (spectrum.NPontGraf != kBlock / 2) {
        state.SkipWithError("no spectrum was drawn");
    }
}
BENCHMARK(BM_FftClickToSpectrum_32768)->Unit(benchmark::kMillisecond);

void BM_ReadAndFftw_32768(benchmark::State& state) {
    const std::string& path = TwoSecondStereo16();
    std::vector<std::int16_t> frames(std::size_t{kBlock} * 2);
    double* in = fftw_alloc_real(kBlock);
    fftw_complex* out = fftw_alloc_complex(kBlock / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(kBlock, in, out, FFTW_ESTIMATE);
    std::vector<double> mag(kBlock / 2);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        const ssize_t got = ::pread(fd, frames.data(), frames.size() * sizeof(std::int16_t),
                                    kHeaderBytes + kFirstFrame * kBytesPerFrame);
        ::close(fd);
        benchmark::DoNotOptimize(got);
        for (int i = 0; i < kBlock; ++i) {
            in[i] = frames[static_cast<std::size_t>(2 * i)]; // the left channel
        }
        fftw_execute(plan);
        for (int k = 0; k < kBlock / 2; ++k) {
            mag[static_cast<std::size_t>(k)] = std::hypot(out[k][0], out[k][1]);
        }
        benchmark::DoNotOptimize(mag.data());
        benchmark::ClobberMemory();
    }
    fftw_destroy_plan(plan);
    fftw_free(out);
    fftw_free(in);
}
BENCHMARK(BM_ReadAndFftw_32768)->Unit(benchmark::kMillisecond);

} // namespace
