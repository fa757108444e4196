#include "bench_files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <stdexcept>
#include <vector>

namespace {

class ScratchFile {
  public:
    explicit ScratchFile(std::string path) : path_(std::move(path)) {}
    ~ScratchFile() { std::remove(path_.c_str()); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

std::string MakeStereo16(const std::string& name, int seconds) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    constexpr std::uint32_t kRate = 44100;
    const std::uint32_t frames = kRate * static_cast<std::uint32_t>(seconds);
    const std::uint32_t dataSize = frames * 4;
    std::vector<std::uint8_t> header;
    for (const char* t : {"RIFF"}) {
        header.insert(header.end(), t, t + 4);
    }
    Put32(header, 36 + dataSize);
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(header, 16);
    header.insert(header.end(), {1, 0, 2, 0});
    Put32(header, kRate);
    Put32(header, kRate * 4);
    header.insert(header.end(), {4, 0, 16, 0, 'd', 'a', 't', 'a'});
    Put32(header, dataSize);

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        throw std::runtime_error("cannot write " + path);
    }
    std::fwrite(header.data(), 1, header.size(), f);
    // One second of a two-tone signal, repeated: cheap to write, still a real waveform.
    std::vector<std::int16_t> second(kRate * 2);
    for (std::uint32_t i = 0; i < kRate; ++i) {
        const double t = static_cast<double>(i) / kRate;
        second[2 * i] = static_cast<std::int16_t>(12000 * std::sin(2 * std::numbers::pi * 220 * t));
        second[2 * i + 1] =
            static_cast<std::int16_t>(9000 * std::sin(2 * std::numbers::pi * 331 * t));
    }
    for (int s = 0; s < seconds; ++s) {
        std::fwrite(second.data(), sizeof(std::int16_t), second.size(), f);
    }
    std::fclose(f);
    return path;
}

std::string MakeRunOfD(const std::string& name, std::size_t bytes) {
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    std::vector<std::uint8_t> header;
    header.insert(header.end(), {'R', 'I', 'F', 'F'});
    Put32(header, static_cast<std::uint32_t>(28 + bytes));
    header.insert(header.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(header, 16);
    header.insert(header.end(), {1, 0, 1, 0});
    Put32(header, 8000);
    Put32(header, 16000);
    header.insert(header.end(), {2, 0, 16, 0});
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        throw std::runtime_error("cannot write " + path);
    }
    std::fwrite(header.data(), 1, header.size(), f);
    const std::vector<char> block(1 << 20, 'd');
    for (std::size_t done = 0; done < bytes; done += block.size()) {
        std::fwrite(block.data(), 1, std::min(block.size(), bytes - done), f);
    }
    std::fclose(f);
    return path;
}

} // namespace

const std::string& SixtyMinuteStereo16() {
    static ScratchFile file(MakeStereo16("tonvexa-bench-60min-stereo16.wav", 60 * 60));
    return file.Path();
}

const std::string& TwoSecondStereo16() {
    static ScratchFile file(MakeStereo16("tonvexa-bench-2s-stereo16.wav", 2));
    return file.Path();
}

const std::string& HalfGibOfD() {
    static ScratchFile file(MakeRunOfD("tonvexa-bench-512mib-d.wav", std::size_t{512} << 20));
    return file.Path();
}

void Put16(std::ofstream& out, int v) {
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
    out.write(b, 2);
}

void Put32(std::ofstream& out, std::uint32_t v) {
    Put16(out, static_cast<int>(v & 0xFFFF));
    Put16(out, static_cast<int>(v >> 16));
}

void PutWaveHeader16(std::ofstream& out, int channels, int rate, std::uint32_t frames) {
    const auto frameBytes = static_cast<std::uint32_t>(channels) * 2;
    out.write("RIFF", 4);
    Put32(out, 36 + frames * frameBytes);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, channels);
    Put32(out, static_cast<std::uint32_t>(rate));
    Put32(out, static_cast<std::uint32_t>(rate) * frameBytes);
    Put16(out, static_cast<int>(frameBytes));
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, frames * frameBytes);
}
