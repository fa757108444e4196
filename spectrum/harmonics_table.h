// The comb's reading as text: the rows of the Harmonics window and the "# Harmonics" block that
// the copied table ends with while the comb shows. No toolkit.
#pragma once

#include "partials.h"

#include <array>
#include <string>

// One line of the comb as the Harmonics window shows it.
struct HarmonicsRow {
    std::string n;          // "1" .. "17"
    std::string lineHz;     // n x f0, to 0.01 Hz
    std::string measuredHz; // the refined peak to 0.01 Hz, "beyond the band" or "absent"
    std::string cents;      // "+1.3", "-0.4", "0": empty unless measured
    std::string levelDb;    // "0", "-6.1": empty unless measured
};

// The 17 rows of a reading.
std::array<HarmonicsRow, kCombLines> HarmonicsRows(const CombReading& comb);

// The sentence that stands for the rows when a comb of fundamental f0 (Hz) measures nothing
// because it lies below the first bin; empty when it does not.
std::string CombBelowFirstBinText(const CombReading& comb, double f0);

// "# Harmonics", the comb's fundamental, the column names and the 17 rows, tab-separated,
// each line ending in a line feed.
std::string HarmonicsBlock(const CombReading& comb, double f0);
