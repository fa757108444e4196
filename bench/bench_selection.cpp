// Selection drags against redraws, on an hour of CD-quality stereo: a move while selecting
// only moves the selection windows and rewrites a few texts, so it must cost a small fraction
// of one redraw (the yardstick: "x 2" redrawing the same view) and never run the renderer.
#include "bench_files.h"
#include "ui/common_dialog.h"
#include "ui/services.h"
#include "waveview/waveform_view.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The desktop of one benchmark. It lives only as long as that benchmark, so nothing of it
// (its audio engine's threads above all) stays beside the later benchmarks of the run.
struct Shared {
    BenchShell shell;
    NoAnalysis analysis;
    Shared() { shell.dialog.SetFileName(SixtyMinuteStereo16()); }
};

// A shown waveform view with the hour loaded.
std::unique_ptr<Form103> LoadedView(Shared& s, benchmark::State& state) {
    auto view = std::make_unique<Form103>(s.shell.services, s.shell.channel1, s.shell, s.analysis,
                                          s.shell.engine);
    view->Form_Load();
    view->Show();
    view->LerFileDad_3();
    if (!view->FileLoaded || s.shell.messages.shown != 0) {
        state.SkipWithError("the hour-long file did not load");
    }
    return view;
}

void BM_SelectionDragMove(benchmark::State& state) {
    Shared shared;
    auto view = LoadedView(shared, state);
    Form103& f = *view;
    f.Picture2_MouseDown(kLeftButton, 0, 100, 100);
    const std::int64_t before = shared.shell.beep.count;
    float x = 500;
    for (auto _ : state) {
        f.Picture2_MouseMove(kLeftButton, 0, x, 100);
        x = x > 9800 ? 200 : x + 97;
    }
    state.counters["redraws"] =
        benchmark::Counter(static_cast<double>(shared.shell.beep.count - before));
    if (f.SelEndPoint().Caption() == f.TotalPoints().Caption()) {
        state.SkipWithError("the drag did not set the end");
    }
}
BENCHMARK(BM_SelectionDragMove)->Unit(benchmark::kMicrosecond);

void BM_RedrawStretch(benchmark::State& state) {
    Shared shared;
    auto view = LoadedView(shared, state);
    Form103& f = *view;
    f.Picture2_MouseDown(kLeftButton, 0, 100, 100);
    const std::int64_t before = shared.shell.beep.count;
    for (auto _ : state) {
        f.Amp8Mono = 15.0f; // as loaded, so "x 2" never reaches its cap
        f.Amp16Mono = 1.0f / 17;
        f.Amp8Stereo = 7.0f;
        f.Amp16Stereo = 1.0f / 35;
        f.Command11_Click();
    }
    state.counters["redraws"] =
        benchmark::Counter(static_cast<double>(shared.shell.beep.count - before));
}
BENCHMARK(BM_RedrawStretch)->Unit(benchmark::kMicrosecond);

} // namespace
