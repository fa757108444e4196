// Form103: drawing a stretch of the wave file on the graphs (`GrafWave8BM`).
#include "renderer_rules.h"
#include "waveform_view.h"

#include "base/file_channel.h"
#include "base/numbers.h"
#include "ui/clipboard.h"
#include "ui/services.h"

#include <cmath>
#include <vector>

namespace {

constexpr double kMonoHeight = 2480;   // twips
constexpr double kStereoHeight = 1240; // twips

// What a screen reader calls the graphs.
const char* const kMonoGraphName = "Waveform, mono";
const char* const kLeftGraphName = "Waveform, left channel";
const char* const kRightGraphName = "Waveform, right channel";

// One pair of pictures drawn alike: a graph and its inverse copy.
struct GraphPair {
    PictureBox& graph;
    PictureBox& copy;

    void Axes(const GraphMetrics& m) {
        for (PictureBox* p : {&graph, &copy}) {
            p->Line(0, m.ymid, m.sw, m.ymid, p->ForeColor());
            p->Line(0, m.ymid - 128 * m.g, m.sw, m.ymid - 128 * m.g, kSysButtonFace);
            p->Line(0, m.ymid + 128 * m.g, m.sw, m.ymid + 128 * m.g, kSysButtonFace);
        }
    }
    void Caption(const char* text) {
        for (PictureBox* p : {&graph, &copy}) {
            p->CurrentX = 0;
            p->CurrentY = 0;
            p->Print(text);
        }
    }
    void Start(double y) {
        graph.PSet(0, y, graph.ForeColor());
        copy.PSet(0, y, copy.ForeColor());
    }
    void Next(double x, double y, bool lines) {
        if (lines) {
            graph.LineTo(x, y, graph.ForeColor());
            copy.LineTo(x, y, copy.ForeColor());
        } else {
            graph.PSet(x, y, graph.ForeColor());
            copy.PSet(x, y, copy.ForeColor());
        }
    }
};

} // namespace

void Form103::GrafWave8BM(std::int64_t Inidad, std::int32_t Lendad) {
    const bool sixteen = num::LeadingNumber(BitsText().Caption()) == 16;
    const bool stereo = ChannelsText().Caption() == "Stereo";

    if (stereo) {
        Picture2.SetHeight(kStereoHeight);
        Picture5.SetVisible(true);
    } else {
        Picture2.SetHeight(kMonoHeight);
        Picture5.SetVisible(false);
    }
    Picture2.SetAccessibleName(stereo ? kLeftGraphName : kMonoGraphName);
    Picture5.SetAccessibleName(kRightGraphName);

    const GraphMetrics m = MetricsFor(Picture2.ScaleWidth(), Picture2.ScaleHeight());
    const double xstep = static_cast<double>(Lendad) / m.sw;
    const float a16 = stereo ? Amp16Stereo : Amp16Mono;
    const float a8 = stereo ? Amp8Stereo : Amp8Mono;
    const std::int16_t base8 = Base8(m.ymid, a8);
    const int bytesPerFrame = (sixteen ? 2 : 1) * (stereo ? 2 : 1);
    const bool lines = Option3.Value();

    GraphPair left{Picture2, Picture4};
    GraphPair right{Picture5, Picture7};
    left.Axes(m);
    if (stereo) {
        left.Caption("Left channel");
        right.Axes(m);
        right.Caption("Right channel");
    }

    FileChannel& ch = channel1_;
    auto readY = [&]() -> double {
        if (sixteen) {
            return SampleY16(m.ymid, ch.ReadInt16(), a16);
        }
        return SampleY8(base8, ch.ReadByte(), a8);
    };
    auto drawFrame = [&](double x) {
        const double yl = readY();
        const double yr = stereo ? readY() : 0;
        left.Next(x, yl, lines);
        if (stereo) {
            right.Next(x, yr, lines);
        }
    };

    ch.Seek(Inidad);
    left.Start(readY());
    if (stereo) {
        right.Start(readY());
    }

    if (m.sw >= Lendad) {
        // At most one frame per twip: every frame, read sequentially.
        const double xs = m.sw / Lendad;
        for (std::int32_t i = 1; i <= Lendad - 1; ++i) {
            drawFrame(num::CInt(std::floor(i * xs)));
        }
    } else {
        // More frames than twips: the first frame of each twip-wide slice, all of them
        // fetched in one batch of reads.
        const std::vector<std::int64_t> positions =
            DecimatedPositions(Inidad, xstep, bytesPerFrame);
        const auto frameBytes = static_cast<std::size_t>(bytesPerFrame);
        std::vector<std::uint8_t> frames(positions.size() * frameBytes);
        ch.ReadScattered(positions.data(), positions.size(), frameBytes, frames.data());
        const int sampleBytes = sixteen ? 2 : 1;
        auto y = [&](const std::uint8_t* b) -> double {
            if (sixteen) {
                return SampleY16(m.ymid, static_cast<std::int16_t>(b[0] | (b[1] << 8)), a16);
            }
            return SampleY8(base8, b[0], a8);
        };
        for (int x = 1; x <= kLastDecimatedX; ++x) {
            const std::uint8_t* frame = &frames[static_cast<std::size_t>(x - 1) * frameBytes];
            left.Next(x, y(frame), lines);
            if (stereo) {
                right.Next(x, y(frame + sampleBytes), lines);
            }
        }
    }
    services_.beep->Beep();
}

void Form103::CopyGraphs() {
    CopyToClipboard(Picture1.Snapshot());
}
