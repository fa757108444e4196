// Selection drags against redraws, on an hour of CD-quality stereo: a move while selecting
// only moves the selection windows and rewrites a few texts, so it must cost a small fraction
// of one redraw (the yardstick: "x 2" redrawing the same view) and never run the renderer.
#include "common_dialog.h"
#include "ports.h"
#include "services.h"
#include "waveform_view.h"

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

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kBytesPerFrame = 4;
constexpr std::int64_t kFrames = std::int64_t{60} * 60 * kRate; // one hour

void PutLE(std::vector<std::uint8_t>& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }
}

// The hour-long wave file in the temporary folder, written once with large buffered writes
// and removed when the program ends.
class HourFile {
  public:
    HourFile() {
        path_ = (std::filesystem::temp_directory_path() /
                 ("tonvexa-bench-hour-" + std::to_string(::getpid()) + ".wav"))
                    .string();
        const std::uint32_t dataSize = static_cast<std::uint32_t>(kFrames * kBytesPerFrame);
        std::vector<std::uint8_t> header;
        for (char c : std::string("RIFF")) {
            header.push_back(static_cast<std::uint8_t>(c));
        }
        PutLE(header, 36 + dataSize, 4);
        for (char c : std::string("WAVEfmt ")) {
            header.push_back(static_cast<std::uint8_t>(c));
        }
        PutLE(header, 16, 4);
        PutLE(header, 1, 2);
        PutLE(header, kChannels, 2);
        PutLE(header, kRate, 4);
        PutLE(header, kRate * kBytesPerFrame, 4);
        PutLE(header, kBytesPerFrame, 2);
        PutLE(header, 16, 2);
        for (char c : std::string("data")) {
            header.push_back(static_cast<std::uint8_t>(c));
        }
        PutLE(header, dataSize, 4);

        // 4 MiB of a 441 Hz tone (left) and its octave (right), repeated: a whole number of
        // periods, so the tone runs on unbroken from block to block.
        constexpr std::int64_t kBlockFrames = 100 * 10 * 1024;
        std::vector<std::uint8_t> block;
        block.reserve(kBlockFrames * kBytesPerFrame);
        for (std::int64_t i = 0; i < kBlockFrames; ++i) {
            const double t = static_cast<double>(i) / kRate;
            PutLE(block,
                  static_cast<std::uint16_t>(
                      std::lround(12000 * std::sin(2 * std::numbers::pi * 441 * t))),
                  2);
            PutLE(block,
                  static_cast<std::uint16_t>(
                      std::lround(6000 * std::sin(2 * std::numbers::pi * 882 * t))),
                  2);
        }
        std::FILE* out = std::fopen(path_.c_str(), "wb");
        if (!out) {
            throw std::runtime_error("cannot write " + path_);
        }
        std::fwrite(header.data(), 1, header.size(), out);
        for (std::int64_t done = 0; done < kFrames; done += kBlockFrames) {
            const std::int64_t frames = std::min(kBlockFrames, kFrames - done);
            std::fwrite(block.data(), 1, static_cast<std::size_t>(frames * kBytesPerFrame), out);
        }
        if (std::fclose(out) != 0) {
            throw std::runtime_error("cannot write " + path_);
        }
    }
    ~HourFile() {
        std::error_code ec;
        std::filesystem::remove(path_, ec);
    }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// The main window as the view sees it: only the dialog's file name matters here.
class QuietShell : public ShellPort {
  public:
    CommonDialog& CommonDialog1() override { return dialog; }
    void mnuOpen_Click() override {}
    void SetCaption(const std::string&) override {}
    std::string Caption() const override { return {}; }
    void SetPointer(MousePointer) override {}
    std::string ProgAdd() const override { return {}; }
    bool LineStyleChecked() const override { return true; }
    CommonDialog dialog;
};

// Every completed drawing ends with one beep: counting beeps counts renderer runs.
class CountingBeep : public BeepService {
  public:
    void Beep() override { ++count; }
    std::int64_t count = 0;
};

class SilentMessages : public MessageBoxService {
  public:
    void Show(const std::string&, const std::string&, MsgIcon) override { ++shown; }
    int shown = 0;
};

struct Shared {
    HourFile file;
    QuietShell shell;
    CountingBeep beep;
    SilentMessages messages;
    Shared() {
        shell.dialog.SetFileName(file.Path());
        InstallShell([this]() -> ShellPort& { return shell; });
        InstallServices(Services{&messages, nullptr, &beep, nullptr});
    }
};

Shared& TheShared() {
    static Shared shared;
    return shared;
}

// A shown waveform view with the hour loaded.
std::unique_ptr<Form103> LoadedView(benchmark::State& state) {
    Shared& s = TheShared();
    auto view = std::make_unique<Form103>();
    view->Form_Load();
    view->Show();
    view->LerFileDad_3();
    if (!view->FileLoaded || s.messages.shown != 0) {
        state.SkipWithError("the hour-long file did not load");
    }
    return view;
}

void BM_SelectionDragMove(benchmark::State& state) {
    auto view = LoadedView(state);
    Form103& f = *view;
    f.Picture2_MouseDown(kLeftButton, 0, 100, 100);
    const std::int64_t before = TheShared().beep.count;
    float x = 500;
    for (auto _ : state) {
        f.Picture2_MouseMove(kLeftButton, 0, x, 100);
        x = x > 9800 ? 200 : x + 97;
    }
    state.counters["redraws"] =
        benchmark::Counter(static_cast<double>(TheShared().beep.count - before));
    if (f.SelEndPoint().Caption() == f.TotalPoints().Caption()) {
        state.SkipWithError("the drag did not set the end");
    }
}
BENCHMARK(BM_SelectionDragMove)->Unit(benchmark::kMicrosecond);

void BM_RedrawStretch(benchmark::State& state) {
    auto view = LoadedView(state);
    Form103& f = *view;
    f.Picture2_MouseDown(kLeftButton, 0, 100, 100);
    const std::int64_t before = TheShared().beep.count;
    for (auto _ : state) {
        f.Amp8Mono = 15.0f; // as loaded, so "x 2" never reaches its cap
        f.Amp16Mono = 1.0f / 17;
        f.Amp8Stereo = 7.0f;
        f.Amp16Stereo = 1.0f / 35;
        f.Command11_Click();
    }
    state.counters["redraws"] =
        benchmark::Counter(static_cast<double>(TheShared().beep.count - before));
}
BENCHMARK(BM_RedrawStretch)->Unit(benchmark::kMicrosecond);

} // namespace
