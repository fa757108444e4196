// The spectrum on show as text: the tab-separated table that the copy command puts on the
// clipboard, the one-sentence description a screen reader gives of the graph, and the analysis
// line of the status bar. No toolkit.
#pragma once

#include "analysis_window.h"
#include "base/block_source.h"
#include "peak_refine.h"
#include "spectrum_graph.h"

#include <cstdint>
#include <optional>
#include <string>

// A spectrum kept as the grey reference under every later one ("Freeze spectrum").
struct FrozenSpectrum {
    SpectrumArrays ft;         // element k+1 describes bin k, k = 0 .. ftnpont
    std::int32_t ftnpont = 0;  // bins: padding x points / 2
    std::int32_t freqGraf = 0; // sample rate of the block, Hz
    BlockSource source;
    AnalysisSettings settings;
};

// What the spectrum view shows, as the table and the description need it.
struct SpectrumOnShow {
    const SpectrumArrays& ft;               // element k+1 describes bin k
    std::int32_t ftnpont = 0;               // points x padding / 2; 0 before the first analysis
    std::int32_t freqGraf = 0;              // sample rate of the block, Hz
    const BlockSource& source;              // where the block came from
    std::optional<float> markX;             // x of the peak mark while it is on show, picture twips
    AnalysisSettings settings{};            // the window and padding it was analysed with
    const FrozenSpectrum* frozen = nullptr; // the grey reference, while one is kept

    // The samples analysed (FftPoints), without the padding.
    std::int32_t Points() const { return 2 * ftnpont / settings.padding; }
};

// The peak refined near the mark, with its nearest tempered note.
struct MarkedPeak {
    RefinedPeak peak;
    TemperedNote note;
};

// The peak refined from the local maximum nearest the frequency under the mark; none while no
// mark is on show, before any analysis, or when the spectrum has no maximum (silence).
std::optional<MarkedPeak> RefinedMarkedPeak(const SpectrumOnShow& s);

// A value and its uncertainty u as texts, both rounded to the decimal place of u's second
// significant digit (440.1234 +/- 0.0481 -> "440.123", "0.048"; 330.27 +/- 310 -> "330", "310").
struct UncertainTexts {
    std::string value;
    std::string uncertainty;
};
UncertainTexts WithUncertainty(double value, double u);

// The table: "#" header lines (file, channel, selection in seconds, points, sample rate, window,
// zero padding, bin width of the unpadded transform, the marked peak's frequency and note and
// the refined peak with its uncertainty while the mark is on show, the column names), then one
// row per bin 1 .. ftnpont: bin, frequency in Hz, magnitude, note letters, octave. With
// padding the rows are the padded bins. The magnitudes are the |F_k| the graph draws (divided
// by the window's coherent gain); bin ftnpont (half the sample rate, which the graph does not
// draw) is |F_N/2|. While a spectrum is frozen, it follows as a block that begins with
// "# Frozen spectrum", with its own header lines and rows. Before any analysis: the header
// alone.
std::string SpectrumTable(const SpectrumOnShow& s);

// The block the spectrum on show was made from: "Demo.wav, mono, 0.002 s to 0.095 s (4096
// points at 44100 Hz)"; empty before any analysis.
std::string SpectrumBlockText(const SpectrumOnShow& s);

// A path's last part, the file's name.
std::string FileTitleOf(const std::string& path);

// The graph's description: the file, the range analysed and the strongest peak's frequency
// and note, then the analysis line below; before any analysis, that there is none yet.
std::string SpectrumDescription(const SpectrumOnShow& s);

// The status line after an analysis: the window, the points, the padding, the bin width, the
// refined peak while a mark is on show, and the frozen reference; empty before any analysis.
std::string AnalysisSummary(const SpectrumOnShow& s);
