// Loading and drawing a 60-minute stereo file, and the data search over 512 MiB of "d", each
// beside a plain sequential read of the same file.
#include "bench_files.h"

#include "base/file_channel.h"
#include "ui/common_dialog.h"
#include "waveview/wave_reader.h"
#include "waveview/waveform_view.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <vector>

namespace {

double PeakRssMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_LoadAndDraw_60min_stereo16(benchmark::State& state) {
    const std::string& path = SixtyMinuteStereo16();
    BenchShell shell;
    shell.dialog.SetFileName(path);
    NoAnalysis analysis;
    Form103 view(shell.services, shell.channel1, shell, analysis, shell.engine);
    view.Form_Load();
    view.LerFileDad_3(); // warm the cache
    for (auto _ : state) {
        view.LerFileDad_3();
        benchmark::DoNotOptimize(view.FileLoaded);
    }
    if (!view.FileLoaded) {
        state.SkipWithError("the file did not load");
    }
    state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_LoadAndDraw_60min_stereo16)->Unit(benchmark::kMillisecond);

// The yardstick: the whole file read sequentially in 1 MiB blocks.
void ReadWholeFile(benchmark::State& state, const std::string& path) {
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::size_t total = 0;
        for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;) {
            total += static_cast<std::size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(total);
    }
}

void BM_ReadWholeFile_60min_stereo16(benchmark::State& state) {
    ReadWholeFile(state, SixtyMinuteStereo16());
}
BENCHMARK(BM_ReadWholeFile_60min_stereo16)->Unit(benchmark::kMillisecond);

// The header walk over 512 MiB of "d": every "d" restarts the data search, which only the
// end of the file stops.
void BM_DataSearch_512MiB_d(benchmark::State& state) {
    const std::string& path = HalfGibOfD();
    std::uint64_t reads = 0;
    for (auto _ : state) {
        FileChannel ch;
        ch.Open(path, FileChannel::Mode::BinaryRead);
        const WaveHeader h = WalkWaveHeader(ch);
        reads = ch.SystemReads();
        if (h.failure != WaveHeader::Failure::Truncated) {
            state.SkipWithError("the search did not run to the end of the file");
        }
    }
    state.counters["system_reads"] = static_cast<double>(reads);
}
BENCHMARK(BM_DataSearch_512MiB_d)->Unit(benchmark::kMillisecond);

void BM_ReadWholeFile_512MiB_d(benchmark::State& state) {
    ReadWholeFile(state, HalfGibOfD());
}
BENCHMARK(BM_ReadWholeFile_512MiB_d)->Unit(benchmark::kMillisecond);

} // namespace
