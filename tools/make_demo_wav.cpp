// Writes the demonstration wave: a plucked-string E4 (329.63 Hz) with nine harmonics of
// decaying strength, 16-bit mono at 22050 Hz, 6 s long. Deterministic.
// usage: make_demo_wav OUT.wav
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRate = 22050; // frames per second
constexpr double kSeconds = 6.0;
constexpr double kFundamental = 329.63; // E4, Hz
constexpr int kHarmonics = 9;
constexpr double kAttack = 0.004;     // s, softens the pluck's click
constexpr double kPeak = 0.8 * 32767; // headroom below full scale
constexpr double kPi = 3.14159265358979323846;

void Put16(std::vector<std::uint8_t>& b, int v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }
}

void PutTag(std::vector<std::uint8_t>& b, const char* tag) {
    b.insert(b.end(), tag, tag + 4);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.wav\n", argv[0]);
        return 2;
    }
    const int frames = static_cast<int>(kRate * kSeconds);
    std::vector<double> signal(static_cast<std::size_t>(frames));
    double peak = 0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double v = 0;
        for (int k = 1; k <= kHarmonics; ++k) {
            // Higher partials are weaker and die away sooner, as on a plucked string.
            const double amplitude = 1.0 / std::pow(k, 1.2);
            const double decay = std::exp(-t * (0.6 + 0.45 * k));
            v += amplitude * decay * std::sin(2 * kPi * k * kFundamental * t + 0.3 * k);
        }
        v *= std::min(1.0, t / kAttack);
        signal[static_cast<std::size_t>(i)] = v;
        peak = std::max(peak, std::abs(v));
    }

    std::vector<std::uint8_t> b;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(frames) * 2;
    PutTag(b, "RIFF");
    Put32(b, 36 + dataSize);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1); // PCM
    Put16(b, 1); // mono
    Put32(b, kRate);
    Put32(b, kRate * 2); // bytes per second
    Put16(b, 2);         // block align
    Put16(b, 16);        // bits per sample
    PutTag(b, "data");
    Put32(b, dataSize);
    for (double v : signal) {
        Put16(b, static_cast<int>(std::lrint(v / peak * kPeak)));
    }

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(b.data(), 1, b.size(), out) != b.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
