// Form103: the "FFT" button, which reads one channel of the selected frames from the wave file
// and hands them to the spectrum view's transform.
#include "handoff.h"
#include "waveform_view.h"

#include "analysis_port.h"
#include "frame_port.h"

#include "ui/common_dialog.h"
#include "base/file_channel.h"
#include "base/numbers.h"
#include "ui/services.h"

#include <exception>

namespace {

constexpr int kByteSampleBias = 128; // an unsigned 8-bit sample's zero

} // namespace

ChannelLayout LayoutFor(double bits, const std::string& channelsText, bool left) {
    ChannelLayout layout;
    layout.sixteenBit = bits == 16;
    layout.stereo = channelsText == "Stereo";
    layout.right = layout.stereo && !left;
    return layout;
}

std::string ChannelName(const ChannelLayout& layout) {
    return !layout.stereo ? "Mono" : layout.right ? "Right" : "Left";
}

std::vector<double> ReadChannelBlock(FileChannel& ch, std::int32_t npont,
                                     const ChannelLayout& layout) {
    const std::size_t count = npont > 0 ? static_cast<std::size_t>(npont) : 0;
    const std::size_t sampleBytes = layout.sixteenBit ? 2 : 1;
    const std::size_t step = sampleBytes * (layout.stereo ? 2 : 1); // bytes per element
    const std::size_t skip = layout.right ? sampleBytes : 0;        // the left sample dropped

    // One read for the whole block: the channel turns what lies past the end into zeros.
    std::vector<std::uint8_t> bytes(count * step);
    ch.ReadBytes(bytes.data(), bytes.size());

    std::vector<double> y(count + 1);
    const std::uint8_t* p = bytes.data() + skip;
    for (std::size_t i = 1; i <= count; ++i, p += step) {
        if (layout.sixteenBit) {
            y[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
        } else {
            y[i] = static_cast<int>(p[0]) - kByteSampleBias;
        }
    }
    return y;
}

void Form103::Command5_Click() {
    if (SampleRate().Caption().empty() || !PlayIdle) {
        Picture2.SetFocus();
        Surface().Print("MMC Open");
        return;
    }
    if (FftPoints().Caption().empty()) {
        services_.messages->Show("You have to select a part of the graph before", AppTitle(),
                                 MsgIcon::None);
        return;
    }

    SetPointer(MousePointer::Hourglass);
    Picture2.SetFocus();
    FileChannel& ch = channel1_;
    try {
        const std::int32_t Freq = WholeNumber(SampleRate());
        const std::int64_t start = FilePosition(WholeNumber(SelIniPoint()));
        const std::int32_t Npont = WholeNumber(FftPoints());
        const ChannelLayout layout = LayoutFor(num::LeadingNumber(BitsText().Caption()),
                                               ChannelsText().Caption(), Option1.Value());

        ch.Open(frame_.CommonDialog1().FileName(), FileChannel::Mode::BinaryRead);
        ch.Seek(start);
        std::vector<double> y = ReadChannelBlock(ch, Npont, layout);
        ch.Close();

        analysis_.DescribeBlock({frame_.CommonDialog1().FileName(), ChannelName(layout),
                                 SelIniMs / 1000.0, SelEndMs / 1000.0});
        analysis_.Analyse(y, Npont, Freq);
    } catch (const std::exception&) {
        // A file gone or changed since it was loaded, or a value out of range: the command
        // ends quietly with the channel closed.
        ch.Close();
    }
    SetPointer(MousePointer::Default);
}
