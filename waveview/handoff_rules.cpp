#include "handoff_rules.h"

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
