// What the harmonic comb reads off synthetic tones, and the partials sounded again.
#include "spectrum/analysis_window.h"
#include "spectrum/partials.h"
#include "spectrum/resynthesis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kPoints = 4096;
constexpr double kRate = 22050.0;

struct Component {
    int n;        // the comb line it belongs to
    double hz;    // its frequency
    double level; // dB
};

// A 1-based block of kPoints samples of the components, each at its own phase.
std::vector<double> Block(const std::vector<Component>& parts) {
    std::vector<double> y(kPoints + 1, 0.0);
    for (const Component& c : parts) {
        const double a = 1000.0 * std::pow(10.0, c.level / 20.0);
        for (int j = 0; j < kPoints; ++j) {
            y[static_cast<std::size_t>(j) + 1] +=
                a * std::sin(2 * kPi * c.hz * j / kRate + 0.7 * c.n);
        }
    }
    return y;
}

// The analysis of a block as the spectrum view holds it.
struct Analysed {
    SpectrumArrays arrays;
    MagnitudeSpectrum spectrum;
};

Analysed Analyse(const std::vector<double>& y, AnalysisSettings settings, double rate = kRate) {
    Analysed a;
    std::vector<double> work;
    const std::int32_t n = AnalyseBlock(y, kPoints, settings, work, a.arrays);
    a.spectrum = MagnitudeSpectrum{a.arrays.MagFt, n, rate, settings};
    return a;
}

std::vector<Component> Harmonic(double f0, std::vector<double> levels, double stretch = 0.0) {
    std::vector<Component> parts;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        parts.push_back({n, n * f0 * (1.0 + stretch * n * n), levels[i]});
    }
    return parts;
}

char StatusLetter(PartialStatus s) {
    switch (s) {
    case PartialStatus::Measured:
        return 'M';
    case PartialStatus::BeyondBand:
        return 'B';
    case PartialStatus::Absent:
        return 'A';
    }
    return '?';
}

const std::vector<Component> kFivePartials = Harmonic(220.0, {0, -6, -12, -18, -24});

} // namespace

TEST(Partials, TheCombReadsEachPartialItsDeviationAndLevel) {
    struct Row {
        const char* what;
        std::vector<Component> tone;
        AnalysisSettings settings;
        double combHz;
        const char* statuses; // line 1 .. 17: Measured, Beyond the band, Absent
        bool belowFirstBin;
        double hzTolerance, centsTolerance;
    } rows[] = {
        {"harmonic tone",
         kFivePartials,
         {AnalysisWindow::Hann, 1},
         220.0,
         "MMMMMAAAAAAAAAAAA",
         false,
         0.3,
         2.5},
        {"stretched tone",
         Harmonic(220.0, {0, -3, -6, -9, -12, -15, -18, -21, -24}, 0.0004),
         {AnalysisWindow::Hann, 1},
         220.0,
         "MMMMMMMMMAAAAAAAA",
         false,
         0.3,
         2.0},
        {"a partial 70 dB down",
         {{1, 300.0, 0.0}, {2, 600.0, -70.0}, {3, 900.0, -20.0}},
         {AnalysisWindow::Hann, 2},
         300.0,
         "MAMAAAAAAAAAAAAAA",
         false,
         0.3,
         2.0},
        {"lines above the Nyquist frequency",
         Harmonic(2000.0, {0, -3, -6, -9, -12}),
         {AnalysisWindow::BlackmanHarris, 4},
         2000.0,
         "MMMMMBBBBBBBBBBBB",
         false,
         0.3,
         2.0},
        {"fundamental below the first bin",
         kFivePartials,
         {AnalysisWindow::Hann, 8},
         4.0,
         "AAAAAAAAAAAAAAAAA",
         true,
         0,
         0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const Analysed a = Analyse(Block(r.tone), r.settings);
        const CombReading comb = MeasurePartials(a.spectrum, r.combHz);
        EXPECT_EQ(comb.fundamentalBelowFirstBin, r.belowFirstBin);
        std::string statuses;
        for (const PartialReading& line : comb.lines) {
            statuses += StatusLetter(line.status);
        }
        EXPECT_EQ(statuses, r.statuses);

        double strongest = -1e9;
        for (const Component& c : r.tone) {
            strongest = std::max(strongest, c.level);
        }
        for (const PartialReading& line : comb.lines) {
            EXPECT_NEAR(line.lineHz, line.n * r.combHz, 1e-9);
            const auto c = std::find_if(r.tone.begin(), r.tone.end(),
                                        [&](const Component& t) { return t.n == line.n; });
            if (line.status != PartialStatus::Measured || c == r.tone.end()) {
                continue;
            }
            SCOPED_TRACE("line " + std::to_string(line.n));
            EXPECT_NEAR(line.measuredHz, c->hz, r.hzTolerance);
            EXPECT_NEAR(line.levelDb, c->level - strongest, 1.0);
            EXPECT_NEAR(line.cents, 1200.0 * std::log2(c->hz / line.lineHz), r.centsTolerance);
            EXPECT_LE(std::abs(line.measuredHz - c->hz), line.uncertaintyHz);
        }
    }
}

TEST(Partials, FittingTheCombMovesItsFundamentalOntoThePeakItReads) {
    const Analysed a = Analyse(Block(kFivePartials), {AnalysisWindow::Hann, 4});
    struct Row {
        double combHz, expectedHz;
    } rows[] = {{200.0, 220.0}, {235.0, 220.0}, {300.0, 220.0}, {430.0, 440.0}, {700.0, 660.0}};
    for (const Row& r : rows) {
        const auto fitted = FitCombToNearestPeak(a.spectrum, r.combHz);
        ASSERT_TRUE(fitted.has_value()) << r.combHz;
        EXPECT_NEAR(*fitted, r.expectedHz, 0.05) << r.combHz;
    }
    const Analysed silence = Analyse(std::vector<double>(kPoints + 1, 0.0), {});
    EXPECT_FALSE(FitCombToNearestPeak(silence.spectrum, 220.0).has_value());
}

TEST(Resynthesis, SoundsTheChosenPartialsAtTheirLevelsAndTheSelectionsLoudness) {
    const Analysed source = Analyse(Block(kFivePartials), {AnalysisWindow::Hann, 1});
    const CombReading comb = MeasurePartials(source.spectrum, 220.0);
    PartialMask second;
    second.set(1);
    PartialMask secondAndFourth;
    secondAndFourth.set(1).set(3);
    struct Row {
        const char* what;
        PartialMask play;
        double targetRms;
        bool peakLimited;
    } rows[] = {
        {"All", PresetMask(PartialPreset::All), 0.1, false},
        {"Odd only", PresetMask(PartialPreset::OddOnly), 0.1, false},
        {"Without the fundamental", PresetMask(PartialPreset::WithoutFundamental), 0.1, false},
        {"Fundamental only", PresetMask(PartialPreset::FundamentalOnly), 0.05, false},
        {"the second muted", AudibleLines(second, {}), 0.1, false},
        {"the second and fourth soloed, the fourth muted", AudibleLines(1 << 3, secondAndFourth),
         0.1, false},
        {"louder than full scale allows", PresetMask(PartialPreset::All), 0.9, true},
    };
    for (std::size_t i = 0; i < kPartialPresetCount; ++i) {
        EXPECT_EQ(PresetCaption(PartialPresets()[i]), rows[i].what);
    }
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const Resynthesis out = Resynthesise(comb, {1.0, r.targetRms, 22050, r.play});
        ASSERT_EQ(out.samples.size(), 22050u);
        EXPECT_EQ(out.peakLimited, r.peakLimited);
        double energy = 0.0;
        float peak = 0.0f;
        for (const float v : out.samples) {
            energy += static_cast<double>(v) * v;
            peak = std::max(peak, std::abs(v));
        }
        EXPECT_LE(peak, 1.0f);
        const double rmsDb = 10.0 * std::log10(energy / out.samples.size());
        if (r.peakLimited) {
            EXPECT_NEAR(peak, 1.0f, 1e-6f);
            EXPECT_LT(rmsDb, 20.0 * std::log10(r.targetRms));
        } else {
            EXPECT_NEAR(rmsDb, 20.0 * std::log10(r.targetRms), 1.5);
        }
        EXPECT_LT(std::abs(out.samples.front()), 0.01f); // faded in and out
        EXPECT_LT(std::abs(out.samples.back()), 0.01f);

        // The middle of the sound, analysed as the view would, has the requested levels.
        std::vector<double> y(kPoints + 1, 0.0);
        std::copy_n(out.samples.begin() + 8000, kPoints, y.begin() + 1);
        const Analysed heard = Analyse(y, {AnalysisWindow::Hann, 1});
        const CombReading again = MeasurePartials(heard.spectrum, 220.0);
        double loudestAsked = -1e9;
        for (const PartialReading& line : comb.lines) {
            if (r.play.test(static_cast<std::size_t>(line.n - 1)) &&
                line.status == PartialStatus::Measured) {
                loudestAsked = std::max(loudestAsked, line.levelDb);
            }
        }
        for (const PartialReading& line : comb.lines) {
            if (line.status != PartialStatus::Measured) {
                continue;
            }
            SCOPED_TRACE("line " + std::to_string(line.n));
            const PartialReading& h = again.lines[static_cast<std::size_t>(line.n - 1)];
            if (r.play.test(static_cast<std::size_t>(line.n - 1))) {
                ASSERT_EQ(h.status, PartialStatus::Measured);
                EXPECT_NEAR(h.levelDb, line.levelDb - loudestAsked, 1.5);
                EXPECT_NEAR(h.measuredHz, line.measuredHz, 0.3);
            } else {
                EXPECT_TRUE(h.status == PartialStatus::Absent || h.levelDb <= -40.0) << h.levelDb;
            }
        }
    }
    // The duration is kept within 0.25 .. 4 s.
    EXPECT_EQ(Resynthesise(comb, {0.1, 0.1, 48000}).samples.size(), 12000u);
    EXPECT_EQ(Resynthesise(comb, {10.0, 0.1, 48000}).samples.size(), 192000u);
}
