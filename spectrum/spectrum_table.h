// The spectrum on show as text: the tab-separated table that the copy command puts on the
// clipboard, and the one-sentence description a screen reader gives of the graph. No toolkit.
#pragma once

#include "base/block_source.h"
#include "spectrum_graph.h"

#include <cstdint>
#include <optional>
#include <string>

// What the spectrum view shows, as the table and the description need it.
struct SpectrumOnShow {
    const SpectrumArrays& ft;   // element k+1 describes bin k
    std::int32_t ftnpont = 0;   // FftPoints / 2; 0 before the first analysis
    std::int32_t freqGraf = 0;  // sample rate of the block, Hz
    const BlockSource& source;  // where the block came from
    std::optional<float> markX; // x of the peak mark while it is on show, picture twips
};

// The table: "#" header lines (file, channel, selection in seconds, points, sample rate, the
// marked peak's frequency and note while the mark is on show, the column names), then one row
// per bin 1 .. FftPoints/2: bin, frequency in Hz, magnitude, note letters, octave. The
// magnitudes are the unscaled |F_k| the graph draws; bin FftPoints/2 (half the sample rate,
// which the graph does not draw) is |F_N/2|. Before any analysis: the header alone.
std::string SpectrumTable(const SpectrumOnShow& s);

// The graph's description: the file, the range analysed and the strongest peak's frequency
// and note; before any analysis, that there is none yet.
std::string SpectrumDescription(const SpectrumOnShow& s);
