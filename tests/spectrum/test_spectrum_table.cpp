// The table the spectrum copy puts on the clipboard: its rows against the transform of a known
// tone, its header with and without a mark, and the graph's description.
#include "spectrum/analysis_window.h"
#include "spectrum/real_fft.h"
#include "spectrum/spectrum_graph.h"
#include "spectrum/spectrum_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Row {
    int bin;
    double hz;
    double magnitude;
    std::string note;
    int octave;
};

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, sep)) {
        parts.push_back(part);
    }
    return parts;
}

std::vector<std::string> HeaderLines(const std::string& table) {
    std::vector<std::string> header;
    for (const std::string& line : Split(table, '\n')) {
        if (line.starts_with("#")) {
            header.push_back(line);
        }
    }
    return header;
}

std::vector<Row> Rows(const std::string& table) {
    std::vector<Row> rows;
    for (const std::string& line : Split(table, '\n')) {
        if (line.starts_with("#")) {
            continue;
        }
        const auto cells = Split(line, '\t');
        EXPECT_EQ(cells.size(), 5u) << line;
        if (cells.size() == 5) {
            rows.push_back({std::stoi(cells[0]), std::stod(cells[1]), std::stod(cells[2]), cells[3],
                            std::stoi(cells[4])});
        }
    }
    return rows;
}

// The packed spectrum of m samples of a sine of `hz` at `rate`, and its unpacking.
struct Analysed {
    std::vector<double> packed;
    SpectrumArrays ft;
};

Analysed Tone(int m, double hz, int rate) {
    Analysed a;
    a.packed.assign(static_cast<std::size_t>(m) + 1, 0.0);
    for (int j = 0; j < m; ++j) {
        a.packed[static_cast<std::size_t>(j) + 1] = 1000 * std::sin(2 * kPi * hz * j / rate);
    }
    REALFT(a.packed, m / 2, 1);
    UnpackSpectrum(a.packed, m / 2, a.ft);
    return a;
}

} // namespace

TEST(SpectrumTable, RowsFollowTheTransformOfATone) {
    // 440 Hz lies between bins 40 and 41 of 4096 points at 44100 Hz (10.77 Hz a bin).
    const Analysed a = Tone(4096, 440, 44100);
    const BlockSource source{"/data/tone.wav", "Mono", 0.5, 1.25};
    const SpectrumOnShow shown{a.ft, 2048, 44100, source, std::nullopt};
    const std::vector<Row> rows = Rows(SpectrumTable(shown));

    ASSERT_EQ(rows.size(), 2048u);
    const Row* strongest = &rows[0];
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        EXPECT_EQ(rows[i].bin, k);
        EXPECT_NEAR(rows[i].hz, k * 44100.0 / 4096, 1e-9);
        // |F_k|; the last bin, half the sample rate, is packed beside F_0.
        const double re = k < 2048 ? a.packed[2 * k + 1] : a.packed[2];
        const double im = k < 2048 ? a.packed[2 * k + 2] : 0.0;
        EXPECT_NEAR(rows[i].magnitude, std::hypot(re, im), 1e-9 * a.ft.MagMax) << k;
        if (rows[i].magnitude > strongest->magnitude) {
            strongest = &rows[i];
        }
    }
    EXPECT_LE(std::abs(strongest->hz - 440), 44100.0 / 4096);
    EXPECT_EQ(strongest->note, "A");
    EXPECT_EQ(strongest->octave, 4);
    // Bin 1 (10.77 Hz) is named as the readout names its x: F of octave -1 (10.91 Hz).
    EXPECT_EQ(rows[0].note, "F");
    EXPECT_EQ(rows[0].octave, -1);

    EXPECT_EQ(SpectrumDescription(shown),
              "tone.wav, mono, 0.5 s to 0.593 s analysed (4096 points at 44100 Hz); strongest "
              "peak 441.43 Hz, note A, octave 4; Rectangular window, 4096 points, no zero "
              "padding, bin width 10.77 Hz");
}

// The header of every kind of spectrum on show, and its rows: one per bin, with padding one per
// padded bin, and a frozen spectrum's block after them with its own header.
TEST(SpectrumTable, HeaderAndRowsWithMarkPaddingAndFrozen) {
    // 1000 Hz lies on bin 8 of 64 points at 8000 Hz.
    const auto analyse = [](AnalysisSettings settings) {
        std::vector<double> y(65, 0.0);
        for (int j = 0; j < 64; ++j) {
            y[static_cast<std::size_t>(j) + 1] = 1000 * std::sin(2 * kPi * 1000 * j / 8000);
        }
        std::vector<double> work;
        SpectrumArrays ft;
        EXPECT_EQ(AnalyseBlock(y, 64, settings, work, ft), 32 * settings.padding);
        return ft;
    };
    const SpectrumArrays rectangular = analyse({});
    const SpectrumArrays hann4 = analyse({AnalysisWindow::Hann, 4});
    const SpectrumArrays blackman8 = analyse({AnalysisWindow::BlackmanHarris, 8});
    const SpectrumArrays none;
    const BlockSource nowhere;
    const BlockSource source{"/data/tone.wav", "Right", 0.25, 0.75};
    const FrozenSpectrum frozen{rectangular, 32, 8000, {"/data/old.wav", "Mono", 1, 2}, {}};
    const float markX = 18032.0f; // about 1000 Hz
    const std::string mark = "# Marked peak (Hz)\t999.244\tB\t5";
    const std::string columns = "# Bin\tFrequency (Hz)\tMagnitude\tNote\tOctave";
    using V = std::vector<std::string>;
    const V file = {"# File\t/data/tone.wav",    "# Channel\tRight", "# Selection start (s)\t0.25",
                    "# Selection end (s)\t0.75", "# Points\t64",     "# Sample rate (Hz)\t8000"};
    auto lines = [](std::initializer_list<V> parts) {
        V all;
        for (const V& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    };
    const V rectangularLines = {"# Window\tRectangular", "# Zero padding\t1",
                                "# Bin width (Hz)\t125"};
    const struct {
        const char* what;
        SpectrumOnShow shown;
        V header;
        std::size_t rows;
    } cases[] = {
        {"before any analysis",
         {none, 0, 0, nowhere, std::nullopt},
         V{"# Tonvexa spectrum", "# No analysis yet", columns},
         0},
        {"before any analysis, mark on show",
         {none, 0, 0, nowhere, 15160.0f},
         V{"# Tonvexa spectrum", "# No analysis yet", "# Marked peak (Hz)\t331.537\tE\t4", columns},
         0},
        {"analysed",
         {rectangular, 32, 8000, source, std::nullopt},
         lines({{"# Tonvexa spectrum"}, file, rectangularLines, {columns}}),
         32},
        // Unpadded, the peak is known to 38 Hz; padded under Hann, to 0.67 Hz. The bin width
        // stays 125 Hz: padding adds no resolution.
        {"analysed, mark on show",
         {rectangular, 32, 8000, source, markX},
         lines({{"# Tonvexa spectrum"},
                file,
                rectangularLines,
                {mark, "# Refined peak (Hz)\t1000\t38", "# Refined peak (cents)\tB\t5\t22\t67",
                 columns}}),
         32},
        {"Hann, padded x 4, mark on show",
         {hann4, 128, 8000, source, markX, {AnalysisWindow::Hann, 4}},
         lines({{"# Tonvexa spectrum"},
                file,
                {"# Window\tHann", "# Zero padding\t4", "# Bin width (Hz)\t125", mark,
                 "# Refined peak (Hz)\t1000.02\t0.67", "# Refined peak (cents)\tB\t5\t21.3\t1.2",
                 columns}}),
         128},
        {"Blackman-Harris, padded x 8, rectangular frozen",
         {blackman8, 256, 8000, source, std::nullopt, {AnalysisWindow::BlackmanHarris, 8}, &frozen},
         lines({{"# Tonvexa spectrum"},
                file,
                {"# Window\tBlackman-Harris", "# Zero padding\t8", "# Bin width (Hz)\t125", columns,
                 "# Frozen spectrum", "# File\t/data/old.wav", "# Channel\tMono",
                 "# Selection start (s)\t1", "# Selection end (s)\t2", "# Points\t64",
                 "# Sample rate (Hz)\t8000"},
                rectangularLines,
                {columns}}),
         256 + 32},
    };
    for (const auto& c : cases) {
        const std::string table = SpectrumTable(c.shown);
        EXPECT_EQ(HeaderLines(table), c.header) << c.what;
        const std::vector<Row> rows = Rows(table);
        ASSERT_EQ(rows.size(), c.rows) << c.what;
        // The padded bins are rate / (padding x points) apart, the last at half the rate.
        if (!rows.empty()) {
            const std::size_t current = static_cast<std::size_t>(c.shown.ftnpont);
            EXPECT_DOUBLE_EQ(rows[0].hz, 4000.0 / c.shown.ftnpont) << c.what;
            EXPECT_DOUBLE_EQ(rows[current - 1].hz, 4000.0) << c.what;
            EXPECT_EQ(rows[current - 1].bin, c.shown.ftnpont) << c.what;
        }
    }
    EXPECT_EQ(SpectrumDescription(cases[0].shown), "No analysis yet");
    EXPECT_EQ(AnalysisSummary(cases[0].shown), "");
    EXPECT_EQ(AnalysisSummary(cases[4].shown),
              "Hann window, 64 points, zero padding x 4 (bins drawn 31.25 Hz apart), bin width "
              "125 Hz; refined peak 1000.02 \u00B1 0.67 Hz, B5 +21.3 \u00B1 1.2 cents");
    EXPECT_EQ(AnalysisSummary(cases[5].shown),
              "Blackman-Harris window, 64 points, zero padding x 8 (bins drawn 15.63 Hz apart), "
              "bin width 125 Hz; grey: Rectangular, 64 points, old.wav");
}
