// Form103: what "Play harmonics" asks of the waveform view: the play range's length and
// loudness as the wave player hears it, and a play of the range, then the resynthesis, then the
// range again through MMControl1, with the cursor running as in any play.
#include "playback_rules.h"
#include "waveform_view.h"

#include "frame_port.h"

#include "base/file_channel.h"
#include "base/numbers.h"
#include "ui/common_dialog.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

constexpr double kSixteenBitFullScale = 32768.0; // as the wave player scales samples
constexpr double kByteFullScale = 128.0;
constexpr int kByteSampleBias = 128;            // an unsigned 8-bit sample's zero
constexpr std::int64_t kRmsChunkFrames = 65536; // frames read at a time

} // namespace

double Form103::PlayRangeSeconds() const {
    if (!FileLoaded || SelEndMs <= SelIniMs) {
        return 0.0;
    }
    return (SelEndMs - SelIniMs) / 1000.0;
}

std::optional<double> Form103::PlayRangeRms() {
    if (!FileLoaded || SelEndMs <= SelIniMs) {
        return std::nullopt;
    }
    FileChannel& ch = channel1_;
    try {
        const double rate = WholeNumber(SampleRate());
        const std::int32_t blockAlign = WholeNumber(BlockAlign());
        const bool sixteenBit = num::LeadingNumber(BitsText().Caption()) == 16;
        const std::int64_t total = WholeNumber(TotalPoints());
        // The frames a play of the range takes.
        const auto frame = [&](std::int32_t ms) {
            return std::clamp<std::int64_t>(std::llround(ms * rate / 1000.0), 0, total);
        };
        const std::int64_t first = frame(SelIniMs);
        const std::int64_t end = std::max(first, frame(SelEndMs));
        if (end == first || blockAlign <= 0) {
            return std::nullopt;
        }
        ch.Open(frame_.CommonDialog1().FileName(), FileChannel::Mode::BinaryRead);
        ch.Seek(FilePosition(static_cast<std::int32_t>(first)));
        double energy = 0.0;
        std::int64_t samples = 0;
        std::vector<std::uint8_t> bytes;
        for (std::int64_t at = first; at < end; at += kRmsChunkFrames) {
            const std::int64_t frames = std::min(kRmsChunkFrames, end - at);
            bytes.resize(static_cast<std::size_t>(frames * blockAlign));
            ch.ReadBytes(bytes.data(), bytes.size());
            if (sixteenBit) {
                for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                    const auto v = static_cast<std::int16_t>(
                        static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
                    energy += (v / kSixteenBitFullScale) * (v / kSixteenBitFullScale);
                    ++samples;
                }
            } else {
                for (const std::uint8_t b : bytes) {
                    const double v = (static_cast<int>(b) - kByteSampleBias) / kByteFullScale;
                    energy += v * v;
                    ++samples;
                }
            }
        }
        ch.Close();
        if (samples == 0) {
            return std::nullopt;
        }
        return std::sqrt(energy / static_cast<double>(samples));
    } catch (const std::exception&) {
        // A file gone or changed since it was loaded: no loudness to match.
        ch.Close();
        return std::nullopt;
    }
}

bool Form103::PlaySpliced(std::vector<float> insert) {
    if (!FileLoaded) {
        return false;
    }
    std::int32_t rate = 0;
    try {
        rate = WholeNumber(SampleRate());
    } catch (const std::exception&) {
        return false;
    }
    // As "Play" does: whatever plays stops first. A comparison under way gives up its note.
    CompareArmed = false;
    PlayMode = 0;
    MMControl1.SetUpdateInterval(0);
    MMControl1.SetCommand("Close");
    MMControl1.SpliceNextOpen({SelIniMs, SelEndMs, std::move(insert), rate});
    PrepPlay();
    if (!MMControl1.Spliced()) {
        return false;
    }
    StartPlay();
    return true;
}
