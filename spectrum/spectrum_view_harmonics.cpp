// Form101: the harmonic comb as a measuring instrument: what its lines read off the spectrum on
// show, and the fit that moves its fundamental onto a peak.
#include "spectrum_view.h"

#include "harmonics_table.h"
#include "spectrum_graph.h"
#include "ui/status_line.h"

namespace {

const std::string kHarmonicsOff = "Harmonics off";
// The comb hangs this far above the pointer that placed it, twips.
constexpr double kCombGap = 100;

const char* const kNoAnalysis = "Fit comb: transform a selection with FFT first.";
const char* const kNoComb = "Fit comb: show the comb with Harmonics on first.";
const char* const kNoPeak = "Fit comb: the spectrum has no peak to fit the comb to.";

} // namespace

bool Form101::CombOnShow() const {
    return Command1.Caption() == kHarmonicsOff;
}

double Form101::CombFundamentalHz() const {
    return PitchFrequency(Line2[0]->X1());
}

std::optional<CombReading> Form101::ReadComb() const {
    if (!CombOnShow() || blockPoints_ == 0 || NPontGraf < 1 || freqGraf_ <= 0) {
        return std::nullopt;
    }
    const MagnitudeSpectrum s{ft_.MagFt, NPontGraf, static_cast<double>(freqGraf_), settings_};
    return MeasurePartials(s, CombFundamentalHz());
}

bool Form101::FitComb() {
    if (blockPoints_ == 0 || NPontGraf < 1 || freqGraf_ <= 0) {
        status_.ShowStatus(kNoAnalysis);
        return false;
    }
    if (!CombOnShow()) {
        status_.ShowStatus(kNoComb);
        return false;
    }
    const MagnitudeSpectrum s{ft_.MagFt, NPontGraf, static_cast<double>(freqGraf_), settings_};
    const std::optional<double> f = FitCombToNearestPeak(s, CombFundamentalHz());
    if (!f || !(*f > 0.0)) {
        status_.ShowStatus(kNoPeak);
        return false;
    }
    // The comb keeps its height; only its x moves.
    Harmouselog2(static_cast<float>(PitchX(*f)), static_cast<float>(Line2[0]->Y1() + kCombGap));
    status_.ShowStatus("Comb fitted: fundamental " + HarmonicsRows(*ReadComb())[0].lineHz + " Hz");
    return true;
}

void Form101::NotifyComb() const {
    if (CombChanged) {
        CombChanged();
    }
}
