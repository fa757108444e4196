// The analysis windows, zero padding and the refined peak, measured on synthetic tones through
// the program's own transform.
#include "spectrum/analysis_window.h"
#include "spectrum/peak_refine.h"
#include "spectrum/real_fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kAmplitude = 1000.0;

// A 1-based block of N samples of a cosine of `cycles` cycles across the block.
std::vector<double> Tone(int N, double cycles, double phase = 0.3) {
    std::vector<double> y(static_cast<std::size_t>(N) + 1, 0.0);
    for (int j = 0; j < N; ++j) {
        y[static_cast<std::size_t>(j) + 1] =
            kAmplitude * std::cos(2 * kPi * cycles * j / N + phase);
    }
    return y;
}

double Mag(const SpectrumArrays& a, int k) {
    return a.MagFt[static_cast<std::size_t>(k) + 1];
}

int PeakBin(const SpectrumArrays& a, int n) {
    int best = 1;
    for (int k = 1; k < n; ++k) {
        if (Mag(a, k) > Mag(a, best)) {
            best = k;
        }
    }
    return best;
}

double Db(double ratio) {
    return 20.0 * std::log10(ratio);
}

// The highest side lobe relative to the peak, dB. The main lobe ends on each side at the first
// local minimum 20 dB below the peak (the flat top's ripple near its peak is no edge).
double HighestSideLobeDb(const SpectrumArrays& a, int n) {
    const int peak = PeakBin(a, n);
    const double floor = Mag(a, peak) / 10.0;
    auto isEdge = [&](int k) {
        return Mag(a, k) < floor && Mag(a, k) <= Mag(a, k - 1) && Mag(a, k) <= Mag(a, k + 1);
    };
    int left = peak;
    while (left > 2 && !isEdge(left)) {
        --left;
    }
    int right = peak;
    while (right < n - 2 && !isEdge(right)) {
        ++right;
    }
    double side = 0.0;
    for (int k = 1; k < n; ++k) {
        if (k < left || k > right) {
            side = std::max(side, Mag(a, k));
        }
    }
    return Db(side / Mag(a, peak));
}

// Width of the peak at -6 dB, in bins of the padded spectrum, the crossings interpolated in dB.
double MeasuredWidth6dB(const SpectrumArrays& a, int n) {
    const int peak = PeakBin(a, n);
    const double level = Db(Mag(a, peak)) - 6.0;
    auto crossing = [&](int inside, int outside) {
        const double din = Db(Mag(a, inside));
        const double dout = Db(Mag(a, outside));
        return inside + (outside - inside) * (din - level) / (din - dout);
    };
    int l = peak;
    while (Db(Mag(a, l - 1)) >= level) {
        --l;
    }
    int r = peak;
    while (Db(Mag(a, r + 1)) >= level) {
        ++r;
    }
    return crossing(r, r + 1) - crossing(l, l - 1);
}

} // namespace

TEST(AnalysisWindows, GainSideLobesFlatnessAndResolutionOfEachWindow) {
    struct Row {
        AnalysisWindow window;
        const char* caption;
        double gain;
        double sideLobeLow, sideLobeHigh; // dB, a halfway tone padded x 8
        double halfwayDb;                 // a halfway tone's peak against an on-bin tone's
    } rows[] = {
        {AnalysisWindow::Rectangular, "Rectangular", 1.0, -13.8, -13.0, -3.92},
        {AnalysisWindow::Hann, "Hann", 0.5, -31.9, -31.0, -1.42},
        {AnalysisWindow::Hamming, "Hamming", 0.54, -43.5, -42.0, -1.75},
        {AnalysisWindow::BlackmanHarris, "Blackman-Harris", 0.35875, -94.0, -90.0, -0.83},
        {AnalysisWindow::FlatTop, "Flat top", 1.0 / 4.76683, -92.0, -89.5, 0.0},
    };
    constexpr int N = 4096;
    ASSERT_EQ(AnalysisWindows().size(), std::size(rows));
    std::vector<double> work;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(AnalysisWindows()[i], r.window); // menu order
        EXPECT_EQ(WindowCaption(r.window), r.caption);

        // The coherent gain is the mean of the coefficients.
        EXPECT_NEAR(CoherentGain(r.window), r.gain, 1e-6);
        const std::vector<double> c = WindowCoefficients(r.window, N);
        double mean = 0.0;
        for (const double v : c) {
            mean += v / N;
        }
        EXPECT_NEAR(mean, CoherentGain(r.window), 1e-12);
        EXPECT_NEAR(c[N / 2], 1.0, 1e-12); // 1 at the centre

        // Side lobes of a tone halfway between bins, resolved by padding x 8.
        SpectrumArrays padded;
        const std::int32_t n8 = AnalyseBlock(Tone(N, N / 4 + 0.5), N, {r.window, 8}, work, padded);
        ASSERT_EQ(n8, 8 * N / 2);
        const double side = HighestSideLobeDb(padded, n8);
        EXPECT_GE(side, r.sideLobeLow);
        EXPECT_LE(side, r.sideLobeHigh);

        // The -6 dB width of an on-bin tone padded x 8, in unpadded bins, is what the window says.
        const std::int32_t w8 = AnalyseBlock(Tone(N, N / 4), N, {r.window, 8}, work, padded);
        EXPECT_NEAR(MeasuredWidth6dB(padded, w8) / 8.0, MainLobeWidth6dB(r.window), 0.01);

        // Normalised by the gain, an on-bin tone is A N / 2 high under every window; a halfway
        // tone lower by the window's scalloping, which the flat top keeps within 0.1 dB.
        SpectrumArrays onBin, halfway;
        const std::int32_t n = AnalyseBlock(Tone(N, 300), N, {r.window, 1}, work, onBin);
        AnalyseBlock(Tone(N, 300.5), N, {r.window, 1}, work, halfway);
        EXPECT_NEAR(Mag(onBin, PeakBin(onBin, n)) / (kAmplitude * N / 2), 1.0, 1e-6);
        const double scallop = Db(halfway.MagMax / onBin.MagMax);
        EXPECT_NEAR(scallop, r.halfwayDb, 0.02);
        EXPECT_LE(std::abs(scallop), r.window == AnalysisWindow::FlatTop ? 0.1 : 4.0);
    }
}

TEST(AnalysisWindows, RectangularUnpaddedIsTheDescribedTransformAndPaddingReachesLargeSizes) {
    // A sound-like block: under Rectangular without padding the analysis is REALFT and
    // UnpackSpectrum exactly, bit for bit.
    constexpr int N = 32768;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> sample(-32768, 32767);
    std::vector<double> y(N + 1, 0.0);
    for (int j = 1; j <= N; ++j) {
        y[static_cast<std::size_t>(j)] = sample(random);
    }
    std::vector<double> described = y;
    REALFT(described, N / 2, 1);
    SpectrumArrays expected;
    UnpackSpectrum(described, N / 2, expected);
    std::vector<double> work;
    SpectrumArrays got;
    ASSERT_EQ(AnalyseBlock(y, N, {}, work, got), N / 2);
    EXPECT_EQ(got.MagFt, expected.MagFt);
    EXPECT_EQ(got.ReFt, expected.ReFt);
    EXPECT_EQ(got.MagMax, expected.MagMax);
    std::vector<double> untouched = y;
    ApplyWindow(untouched, N, AnalysisWindow::Rectangular);
    EXPECT_EQ(untouched, y);

    // Padded transforms of 65536 to 262144 points agree with a plain DFT of the windowed block.
    struct Size {
        int Npont, padding;
    } sizes[] = {{8192, 8}, {32768, 2}, {32768, 4}, {32768, 8}};
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.Npont * s.padding);
        std::vector<double> block(y.begin(), y.begin() + s.Npont + 1);
        const AnalysisSettings settings{AnalysisWindow::Hann, s.padding};
        const std::int32_t n = AnalyseBlock(block, s.Npont, settings, work, got);
        ASSERT_EQ(n, s.Npont * s.padding / 2);
        const std::vector<double> w = WindowCoefficients(AnalysisWindow::Hann, s.Npont);
        const int M = s.Npont * s.padding;
        for (const int k : {1, 777, n / 3, n - 1}) {
            long double re = 0, im = 0;
            for (int j = 0; j < s.Npont; ++j) {
                const long double angle =
                    2 * kPi * static_cast<double>((std::int64_t{j} * k) % M) / M;
                re += block[static_cast<std::size_t>(j) + 1] * w[static_cast<std::size_t>(j)] *
                      std::cos(angle);
                im += block[static_cast<std::size_t>(j) + 1] * w[static_cast<std::size_t>(j)] *
                      std::sin(angle);
            }
            const double exact = static_cast<double>(std::sqrt(re * re + im * im)) / 0.5;
            EXPECT_NEAR(Mag(got, k), exact, 1e-6 * got.MagMax) << "bin " << k;
        }
    }

    // What the transforms cannot take leaves the spectrum alone.
    EXPECT_EQ(AnalyseBlock(y, 3, {}, work, got), 0);
    EXPECT_EQ(AnalyseBlock(y, 65536, {}, work, got), 0);
    EXPECT_EQ(AnalyseBlock(y, 1024, {AnalysisWindow::Hann, 3}, work, got), 0);
    EXPECT_EQ(AnalyseBlock(std::vector<double>(100), 128, {}, work, got), 0);
}

TEST(RefinedPeak, FindsHalfwayTonesAndItsUncertaintyHoldsTheTrueFrequency) {
    constexpr int N = 2048;
    constexpr double kRate = 44100.0;
    std::vector<double> work;
    SpectrumArrays a;
    for (const AnalysisWindow w : AnalysisWindows()) {
        for (const std::int32_t padding : kPaddingFactors) {
            SCOPED_TRACE(WindowCaption(w) + " x " + std::to_string(padding));
            const AnalysisSettings settings{w, padding};
            auto refine = [&](double cycles, double phase) {
                const std::int32_t n = AnalyseBlock(Tone(N, cycles, phase), N, settings, work, a);
                const MagnitudeSpectrum s{a.MagFt, n, kRate, settings};
                const double f = cycles * kRate / N;
                const auto peak = RefinedPeakNear(s, f + 0.3 * s.ResolutionHz());
                EXPECT_TRUE(peak.has_value());
                return peak.value_or(RefinedPeak{}).frequencyHz - f;
            };
            // A tone halfway between bins, in unpadded bins: within 0.1, within 0.05 from x 4.
            const double binHz = kRate / N;
            const double halfwayError = std::abs(refine(100.5, 0.3)) / binHz;
            EXPECT_LE(halfwayError, padding >= 4 ? 0.05 : 0.1);

            // Over a sweep of offsets and phases near and far from 0 Hz the true frequency lies
            // within +/- u.
            const double u = PeakUncertaintyHz(settings, binHz / padding);
            double worst = 0.0;
            for (const double base : {30.0, 200.0}) {
                for (int q = 0; q < 32; ++q) {
                    for (const double phase : {0.1, 2.0}) {
                        worst = std::max(worst, std::abs(refine(base + q / 32.0, phase)));
                    }
                }
            }
            EXPECT_LE(worst, u);
        }
    }
}

TEST(RefinedPeak, NamesTheNearestTemperedNoteWithItsOffsetInCents) {
    struct Row {
        double f, u;
        const char* name;
        int octave;
        int NoteCode;
        double cents, uCents;
    } rows[] = {
        {440.0, 0.0, "La  (A)", 4, 69, 0.0, 0.0},
        {446.0, 1.0, "La  (A)", 4, 69, 23.448, 3.886},
        {261.6256, 0.5, "Do  (C)", 4, 60, 0.0, 3.312},
        {27.5, 0.1, "La  (A)", 0, 21, 0.0, 6.307},
        {452.893, 0.0, "La #  (A #)   or   Si b  (B b)", 4, 70, -50.0, 0.0}, // just past halfway
        {329.0, 2.0, "Mi  (E)", 4, 64, -3.299, 10.556},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.f);
        const auto note = NearestTemperedNote(r.f, r.u);
        ASSERT_TRUE(note.has_value());
        const TemperedNote& t = *note;
        EXPECT_EQ(t.reading.name, r.name);
        EXPECT_EQ(t.reading.octave, r.octave);
        ASSERT_TRUE(t.reading.NoteCode.has_value());
        EXPECT_EQ(*t.reading.NoteCode, r.NoteCode);
        EXPECT_NEAR(t.cents, r.cents, 0.001);
        EXPECT_NEAR(t.uncertaintyCents, r.uCents, 0.001);
    }
    EXPECT_FALSE(NearestTemperedNote(0.0, 1.0).has_value());
    EXPECT_FALSE(NearestTemperedNote(std::nan(""), 1.0).has_value());
}
