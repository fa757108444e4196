// Feeds arbitrary magnitudes, sample rates, bin counts, settings and mark positions to the
// texts of the spectrum on show (the copied table, the graph's description, the status line's
// analysis, the refined peak) and to the note naming under the pointer. The table must keep its
// shape whatever the numbers: its header, then one row of five fields per bin.
#include "spectrum/note_naming.h"
#include "spectrum/spectrum_table.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr std::int32_t kMostBins = 256; // enough for every branch, few enough for speed
constexpr float kWidestX = 1.0e7f;       // twips: far beyond either end of the pitch scale

// The input, read from the front; zeros once it runs out.
class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    template <typename T> T Take() {
        T v{};
        std::uint8_t raw[sizeof(T)] = {};
        const std::size_t n = std::min(sizeof(T), size_ - at_);
        std::memcpy(raw, data_ + at_, n);
        at_ += n;
        std::memcpy(&v, raw, sizeof(T));
        return v;
    }
    bool Empty() const { return at_ >= size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

// A position the pointer or the mark can take: finite, anywhere on or far off the picture.
float PointerX(Bytes& in) {
    const float x = in.Take<float>();
    return std::isfinite(x) ? std::clamp(x, -kWidestX, kWidestX) : 0.0f;
}

AnalysisSettings Settings(Bytes& in) {
    constexpr int kPaddings[] = {1, 2, 4, 8};
    const auto byte = in.Take<std::uint8_t>();
    AnalysisSettings s;
    s.window = static_cast<AnalysisWindow>(byte % kAnalysisWindowCount);
    s.padding = kPaddings[(byte / kAnalysisWindowCount) % 4];
    return s;
}

// A spectrum of `bins` bins whose arrays hold arbitrary doubles (infinities and NaN included).
void FillArrays(Bytes& in, std::int32_t bins, SpectrumArrays& a) {
    const auto size = static_cast<std::size_t>(bins) + 1;
    a.ReFt.assign(size, 0.0);
    a.ImFt.assign(size, 0.0);
    a.MagFt.assign(size, 0.0);
    for (std::size_t k = 1; k < size && !in.Empty(); ++k) {
        a.MagFt[k] = in.Take<double>();
    }
    if (bins > 0) {
        a.ImFt[1] = in.Take<double>(); // |F_N/2|, packed beside F_0
    }
    a.MagMax = in.Take<double>();
}

std::int32_t Bins(Bytes& in, const AnalysisSettings& s) {
    // A whole number of unpadded points, as the view always holds.
    const std::int32_t raw = in.Take<std::uint16_t>() % (kMostBins + 1);
    return raw - raw % s.padding;
}

// Lines of the table that are rows (not "#" header lines), each checked to hold five fields.
std::int32_t Rows(const std::string& table) {
    std::int32_t rows = 0;
    std::size_t at = 0;
    while (at < table.size()) {
        const std::size_t end = table.find('\n', at);
        Check(end != std::string::npos); // every line ends with a newline
        if (table[at] != '#') {
            const auto tabs = std::count(table.begin() + static_cast<std::ptrdiff_t>(at),
                                         table.begin() + static_cast<std::ptrdiff_t>(end), '\t');
            Check(tabs == 4);
            ++rows;
        }
        at = end + 1;
    }
    return rows;
}

void NameAt(float x) {
    const NoteReading r = NameNoteAt(x);
    Check(r.row >= 0 && r.row < 12 && !r.name.empty() && !r.frequencyText.empty());
    Check(!r.NoteCode || *r.NoteCode <= 127);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    const auto flags = in.Take<std::uint8_t>();
    const bool marked = flags & 1;
    const bool frozen = flags & 2;

    const AnalysisSettings settings = Settings(in);
    const std::int32_t bins = Bins(in, settings);
    const auto rate = in.Take<std::int32_t>();
    const std::optional<float> markX =
        marked ? std::optional<float>(PointerX(in)) : std::optional<float>();
    const float pointer = PointerX(in);
    const BlockSource source{"/tmp/fuzz.wav", (flags & 4) ? "Left" : "Mono",
                             static_cast<double>(in.Take<float>()), 0.0};

    FrozenSpectrum reference;
    if (frozen) {
        reference.settings = Settings(in);
        reference.ftnpont = Bins(in, reference.settings);
        reference.freqGraf = in.Take<std::int32_t>();
        reference.source = source;
        FillArrays(in, reference.ftnpont, reference.ft);
    }
    SpectrumArrays ft;
    FillArrays(in, bins, ft);

    const SpectrumOnShow s{ft, bins, rate, source, markX, settings, frozen ? &reference : nullptr};
    const std::string table = SpectrumTable(s);
    const bool analysed = bins > 0 && rate > 0;
    const bool frozenAnalysed =
        analysed && frozen && reference.ftnpont > 0 && reference.freqGraf > 0;
    Check(Rows(table) == (analysed ? bins : 0) + (frozenAnalysed ? reference.ftnpont : 0));
    Check(SpectrumDescription(s).empty() == false);
    Check(AnalysisSummary(s).empty() == !analysed);
    Check(SpectrumBlockText(s).empty() == !analysed);
    (void)RefinedMarkedPeak(s);
    (void)WithUncertainty(in.Take<double>(), in.Take<double>());

    NameAt(pointer);
    if (markX) {
        NameAt(*markX);
    }
    (void)HeightText(in.Take<double>(), in.Take<double>(), pointer);
    return 0;
}
