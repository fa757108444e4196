#include "wave_writer.h"

#include "atomic_file.h"

namespace {

constexpr std::uint32_t kHeaderBytes = 44;
constexpr std::uint32_t kRiffRest = kHeaderBytes - 8; // RIFF length counts from offset 8
constexpr std::uint32_t kFormatChunkBytes = 16;
constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kBytesPerSample = 2; // one 16-bit sample
constexpr std::uint16_t kBits = 16;

void Put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        b.push_back(static_cast<std::uint8_t>((v >> shift) & 0xFF));
    }
}

void PutTag(std::vector<std::uint8_t>& b, const char (&tag)[5]) {
    b.insert(b.end(), tag, tag + 4);
}

} // namespace

std::vector<std::uint8_t> WaveHeader16Mono(std::uint32_t frames, std::int32_t rate) {
    return WaveHeader16(frames, rate, 1);
}

std::vector<std::uint8_t> WaveHeader16(std::uint32_t frames, std::int32_t rate, int channels) {
    const auto blockAlign = static_cast<std::uint16_t>(channels * kBytesPerSample);
    const std::uint32_t dataBytes = frames * blockAlign;
    std::vector<std::uint8_t> b;
    b.reserve(kHeaderBytes);
    PutTag(b, "RIFF");
    Put32(b, kRiffRest + dataBytes);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, kFormatChunkBytes);
    Put16(b, kPcm);
    Put16(b, static_cast<std::uint16_t>(channels));
    Put32(b, static_cast<std::uint32_t>(rate));
    Put32(b, static_cast<std::uint32_t>(rate) * blockAlign); // bytes per second
    Put16(b, blockAlign);
    Put16(b, kBits);
    PutTag(b, "data");
    Put32(b, dataBytes);
    return b;
}

std::string WriteWave16Mono(const std::string& path, const std::vector<std::int16_t>& samples,
                            std::int32_t rate) {
    // The data length is a signed 32-bit field for the program's reader.
    if (samples.size() > static_cast<std::size_t>(kMaxWave16DataBytes / kBytesPerSample)) {
        return "the recording is too long for a wave file";
    }
    std::vector<std::uint8_t> bytes =
        WaveHeader16Mono(static_cast<std::uint32_t>(samples.size()), rate);
    bytes.reserve(bytes.size() + samples.size() * kBytesPerSample);
    for (std::int16_t s : samples) {
        Put16(bytes, static_cast<std::uint16_t>(s));
    }

    return WriteFileAtomically(path, bytes);
}
