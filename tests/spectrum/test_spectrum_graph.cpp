// The pitch scale, the axis ticks and their labels, and the unpacking of a packed spectrum.
#include "spectrum/spectrum_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

TEST(PitchScale, TicksFallOnTheirTwips) {
    const struct {
        double f;
        double x;
    } cases[] = {{1, 93}, {10, 6073}, {100, 12052}, {1000, 18031}, {10000, 24011}, {50000, 28190}};
    for (const auto& c : cases) {
        EXPECT_EQ(TickX(c.f), c.x) << c.f << " Hz";
    }
}

TEST(PitchScale, SemitonesAndOctaves) {
    EXPECT_NEAR(PitchX(440), 15900, 1e-9);
    EXPECT_NEAR(PitchX(220), 14100, 1e-6);
    EXPECT_NEAR(PitchX(kPitchF0Hz), 0, 1e-9);
    EXPECT_NEAR(PitchK(), 2596.851, 1e-3);
    EXPECT_NEAR(PitchX(440 * std::pow(2.0, 1.0 / 12)) - PitchX(440), kSemitoneTwips, 1e-6);
    EXPECT_NEAR(PitchX(880) - PitchX(440), kOctaveTwips, 1e-6);
}

TEST(PitchScale, BinsOf4096SamplesAt44100Hz) {
    EXPECT_NEAR(BinX(1, 2048, 44100), 6265, 1);
    EXPECT_NEAR(BinX(41, 2048, 44100), 15908, 1);
    EXPECT_NEAR(BinX(41, 2048, 44100), PitchX(41 * 44100.0 / 4096), 1e-6);
}

TEST(AxisTicks, RowsInDrawingOrderWithTheirLabels) {
    const auto rows = AxisTickRows();
    ASSERT_EQ(rows.size(), 13u);
    int labels = 0;
    for (const TickRow& row : rows) {
        for (int f = row.first; f <= row.last; f += row.step) {
            labels += (f >= row.labelFirst && f <= row.labelLast) ? 1 : 0;
        }
    }
    // 2, 3, 4; 1, 5; 10..50; 100..500; 1 K..5 K; 10 K..50 K.
    EXPECT_EQ(labels, 3 + 2 + 5 + 5 + 5 + 5);
    EXPECT_EQ(rows[0].tickEnd, 260);
    EXPECT_EQ(rows[4].tickEnd, 360);
    EXPECT_TRUE(rows[4].circle);
    EXPECT_EQ(rows[12].tickEnd, 320);
    EXPECT_EQ(rows[12].last, 50000);
}

TEST(AxisTicks, LabelTexts) {
    const auto rows = AxisTickRows();
    EXPECT_EQ(TickLabel(rows[0], 2), " 2 ");
    EXPECT_EQ(TickLabel(rows[6], 300), " 300 ");
    EXPECT_EQ(TickLabel(rows[7], 5000), " 5  K");
    EXPECT_EQ(TickLabel(rows[8], 20000), " 20  K");
    EXPECT_EQ(rows[6].labelDx, -180);
    EXPECT_EQ(rows[5].labelDx, -120);
    EXPECT_EQ(rows[0].labelDy, 280);
    EXPECT_EQ(rows[5].labelDy, 400);
}

TEST(Unpacking, MagnitudesAndTheLargestBinAboveZero) {
    // N = 4: F_0 = 10, F_4 = -6, F_1 = 3+4i, F_2 = 0-2i, F_3 = 1+1i.
    const std::vector<double> y{0, 10, -6, 3, 4, 0, -2, 1, 1};
    SpectrumArrays a;
    UnpackSpectrum(y, 4, a);
    EXPECT_EQ(a.ReFt[1], 10);
    EXPECT_EQ(a.ImFt[1], -6);
    EXPECT_DOUBLE_EQ(a.MagFt[1], std::sqrt(136.0)); // F_0 paired with F_N
    EXPECT_DOUBLE_EQ(a.MagFt[2], 5);
    EXPECT_DOUBLE_EQ(a.MagFt[3], 2);
    EXPECT_DOUBLE_EQ(a.MagFt[4], std::sqrt(2.0));
    EXPECT_DOUBLE_EQ(a.MagMax, 5); // element 1 never takes part
}

TEST(Unpacking, ReusedArraysForgetTheLastMaximum) {
    SpectrumArrays a;
    UnpackSpectrum(std::vector<double>{0, 1, 1, 100, 0, 0, 0, 0, 0}, 4, a);
    EXPECT_EQ(a.MagMax, 100);
    UnpackSpectrum(std::vector<double>{0, 5, 0, 0, 0}, 2, a);
    EXPECT_EQ(a.MagMax, 0);
}

TEST(Unpacking, ScaleOfASilentBlockPutsEveryBinOnTheBaseline) {
    EXPECT_EQ(MagnitudeScale(1860, 360, 0), 0);
    EXPECT_EQ(MagnitudeScale(1860, 360, std::numeric_limits<double>::infinity()), 0);
    EXPECT_EQ(MagnitudeScale(1860, 360, std::nan("")), 0);
    EXPECT_DOUBLE_EQ(MagnitudeScale(1860, 360, 3000), 0.5);
}
