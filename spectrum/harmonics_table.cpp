#include "harmonics_table.h"

#include "base/numbers.h"

#include <cmath>

namespace {

// v rounded to `places` decimals, as the program writes a number; -0 shows as 0.
std::string Fixed(double v, int places) {
    const double scale = std::pow(10.0, places);
    const double r = std::round(v * scale) / scale;
    return num::DoubleText(r == 0.0 ? 0.0 : r);
}

std::string Signed(const std::string& text) {
    return text.starts_with('-') || text == "0" ? text : "+" + text;
}

} // namespace

std::array<HarmonicsRow, kCombLines> HarmonicsRows(const CombReading& comb) {
    std::array<HarmonicsRow, kCombLines> rows;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const PartialReading& line = comb.lines[i];
        HarmonicsRow& row = rows[i];
        row.n = num::IntText(line.n);
        row.lineHz = Fixed(line.lineHz, 2);
        switch (line.status) {
        case PartialStatus::Measured:
            row.measuredHz = Fixed(line.measuredHz, 2);
            row.cents = Signed(Fixed(line.cents, 1));
            row.levelDb = Fixed(line.levelDb, 1);
            break;
        case PartialStatus::BeyondBand:
            row.measuredHz = "beyond the band";
            break;
        case PartialStatus::Absent:
            row.measuredHz = "absent";
            break;
        }
    }
    return rows;
}

std::string CombBelowFirstBinText(const CombReading& comb, double f0) {
    if (!comb.fundamentalBelowFirstBin) {
        return {};
    }
    return "The comb's fundamental, " + Fixed(f0, 2) +
           " Hz, lies below the first bin: it measures nothing";
}

std::string HarmonicsBlock(const CombReading& comb, double f0) {
    std::string out = "# Harmonics\n";
    out += "# Comb fundamental (Hz)\t" + Fixed(f0, 2) + "\n";
    if (comb.fundamentalBelowFirstBin) {
        out += "# " + CombBelowFirstBinText(comb, f0) + "\n";
    }
    out += "# n\tLine (Hz)\tMeasured (Hz)\tCents\tLevel (dB)\n";
    for (const HarmonicsRow& row : HarmonicsRows(comb)) {
        out += row.n + "\t" + row.lineHz + "\t" + row.measuredHz + "\t" + row.cents + "\t" +
               row.levelDb + "\n";
    }
    return out;
}
