#include "waveview/selection_rules.h"

#include <gtest/gtest.h>

#include <limits>

TEST(SelectionRules, TimeAtXRoundsHalvesToEven) {
    struct Case {
        ViewStretch view;
        double x, w;
        std::int32_t ms;
    };
    const Case cases[] = {
        {{0, 1, 10001, 0}, 25, 10000, 2}, // 2.5 ms
        {{0, 1, 10001, 0}, 35, 10000, 4}, // 3.5 ms
        {{0, 1, 10001, 0}, 45, 10000, 4}, // 4.5 ms
        {{0, 2, 801, 0}, 100, 9980, 20},  // 20.04 ms
        {{0, 2, 801, 0}, 500, 9980, 100}, // 100.2 ms
        {{1500, 0.5, 100, 0}, 4990, 9980, 1750}, {{0, 2, 801, 0}, 0, 9980, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MsAtX(c.view, c.x, c.w), c.ms) << "x " << c.x;
    }
}

TEST(SelectionRules, FrameAtXIsTheFloorOfItsShare) {
    struct Case {
        ViewStretch view;
        double x, w;
        std::int32_t frame;
    };
    const Case cases[] = {
        {{0, 2, 801, 0}, 100, 10000, 8},       {{0, 2, 801, 0}, 500, 10000, 40},
        {{0, 2, 801, 0}, 499, 10000, 39},  // 39.92 floors, never rounds up
        {{0, 2, 801, 0}, 9980, 9980, 800}, // the right edge is the last frame
        {{0, 1, 101, 2000}, 4990, 9980, 2050},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PointAtX(c.view, c.x, c.w), c.frame) << "x " << c.x;
    }
    const ViewStretch zoomed{1000, 0.25, 501, 40};
    EXPECT_EQ(StretchEndMs(zoomed), 1250);
    EXPECT_EQ(StretchLastPoint(zoomed), 540);
}

TEST(SelectionRules, TimesReadAsSecondsInTheShortestForm) {
    EXPECT_EQ(SecondsText(1234), "1.234");
    EXPECT_EQ(SecondsText(20), "0.02");
    EXPECT_EQ(SecondsText(2000), "2");
    EXPECT_EQ(SecondsText(1980), "1.98");
    EXPECT_EQ(SecondsText(0), "0");
}

TEST(SelectionRules, GrabZonesAtTheirThresholds) {
    // Outside the window left at 1000, 200 wide.
    EXPECT_TRUE(grab::OutsideLeft(1000, 951));
    EXPECT_FALSE(grab::OutsideLeft(1000, 950)); // 50 is outside the zone
    EXPECT_FALSE(grab::OutsideLeft(1000, 1000));
    EXPECT_TRUE(grab::OutsideRightPress(1000, 200, 1200.5));
    EXPECT_FALSE(grab::OutsideRightPress(1000, 200, 1200));
    EXPECT_FALSE(grab::OutsideRightPress(1000, 200, 1250));
    // Hovering: the distance must round to at least 1 (0.5 rounds to 0, 1.5 to 2).
    EXPECT_FALSE(grab::OutsideRightHover(1000, 200, 1200.5));
    EXPECT_TRUE(grab::OutsideRightHover(1000, 200, 1201.5));
    EXPECT_TRUE(grab::OutsideRightHover(1000, 200, 1249.5));
    EXPECT_FALSE(grab::OutsideRightHover(1000, 200, 1250));
    // Inside the window.
    EXPECT_TRUE(grab::InsideLeft(1000, 1049));
    EXPECT_FALSE(grab::InsideLeft(1000, 1050));
    EXPECT_TRUE(grab::InsideRight(1000, 200, 1101));
    EXPECT_FALSE(grab::InsideRight(1000, 200, 1100));
    EXPECT_TRUE(grab::InLeftThird(0, 90, 29.5));
    EXPECT_FALSE(grab::InLeftThird(0, 90, 30));
    // Dragged edges keep their distance.
    EXPECT_FALSE(grab::RightEdgeClear(1000, 1050));
    EXPECT_TRUE(grab::RightEdgeClear(1000, 1051));
    EXPECT_TRUE(grab::LeftEdgeClear(2000, 1950));
    EXPECT_FALSE(grab::LeftEdgeClear(2000, 1951));
}

TEST(SelectionRules, DifferencesAreComparedInSinglePrecision) {
    // 49.9999999999 in double precision is 50 as a single: outside the 50-twip zone.
    EXPECT_FALSE(grab::OutsideLeft(1000, 950.0000000001));
    EXPECT_TRUE(grab::LeftEdgeClear(2000, 1950.0000000001));
    EXPECT_FALSE(grab::RightEdgeClear(1000, 1050.0000000001));
}

TEST(SelectionRules, RememberedXIsClampedToSixteenBits) {
    EXPECT_EQ(LastMouseXFor(100.5), 100);
    EXPECT_EQ(LastMouseXFor(101.5), 102);
    EXPECT_EQ(LastMouseXFor(32767), 32767);
    EXPECT_EQ(LastMouseXFor(40000), std::numeric_limits<std::int16_t>::max());
    EXPECT_EQ(LastMouseXFor(-40000), std::numeric_limits<std::int16_t>::min());
}
