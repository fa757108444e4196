// Naming of pointer positions: frequency text, semitone colour, nearest key, note and octave;
// the height readout and the harmonic offsets.
#include "spectrum/note_naming.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(NoteNaming, PointerPositions) {
    const struct {
        float x;
        const char* frequency;
        bool red;
        const char* name;
        int octave;
        float keyX;
        int noteCode; // -1: none
    } cases[] = {
        {15900, "440", true, "La  (A)", 4, 15900, 69},
        {14100, "220", true, "La  (A)", 3, 14100, 57},
        {16350, "523.251", true, "Do  (C)", 5, 16350, 72},
        {15907.5f, "440", true, "La  (A)", 4, 15900, 69},      // h = 0, half to even
        {15922.5f, "445.113", false, "La  (A)", 4, 15900, 69}, // h = 2
        {13000, "144.31", false, "Re  (D)", 3, 13050, 50},
        {5550, "8.176", true, "Do  (C)", -1, 5550, 0},
        {15160, "331.537", false, "Mi  (E)", 4, 15150, 64},
        {16200, "493.883", true, "Si  (B)", 4, 16200, 71}, // octaves change between B and C
        {14850, "293.665", true, "Re  (D)", 4, 14850, 62},
        {15975, "452.893", false, "La #  (A #)   or   Si b  (B b)", 4, 16050, 70}, // q - n = 0.5
        {5400, "7.717", true, "Si  (B)", -2, 5400, -1}, // below note 0: none
    };
    for (const auto& c : cases) {
        const NoteReading r = NameNoteAt(c.x);
        EXPECT_EQ(r.frequencyText, c.frequency) << c.x;
        EXPECT_EQ(r.onSemitone, c.red) << c.x;
        EXPECT_EQ(r.name, c.name) << c.x;
        EXPECT_EQ(r.octave, c.octave) << c.x;
        EXPECT_EQ(r.KeyX, c.keyX) << c.x;
        if (c.noteCode < 0) {
            EXPECT_FALSE(r.NoteCode.has_value()) << c.x;
        } else {
            ASSERT_TRUE(r.NoteCode.has_value()) << c.x;
            EXPECT_EQ(*r.NoteCode, c.noteCode) << c.x;
        }
    }
}

TEST(NoteNaming, NoteCodeStopsAt127PastTheLastKey) {
    EXPECT_EQ(*NameNoteAt(24600).NoteCode, 127); // G of octave 9, the last key
    EXPECT_EQ(*NameNoteAt(24750).NoteCode, 127); // one semitone further: limited
    EXPECT_EQ(*NameNoteAt(29400).NoteCode, 127);
    EXPECT_EQ(NameNoteAt(29400).KeyX, 29400); // the key x itself is not limited
}

TEST(NoteNaming, NamesHaveTheirExactBlanks) {
    EXPECT_EQ(NoteName(0), "La  (A)");
    EXPECT_EQ(NoteName(4), "Do #  (C #)   or   Re b  (D b)");
    EXPECT_EQ(NoteName(9), "Fa #  (F #)   or   Sol b  (G b)");
    EXPECT_EQ(NoteName(11), "Sol #  (G #)   or   La b  (A b)");
}

TEST(HeightReadout, PercentOfFullScaleBetweenBaselineAndTop) {
    EXPECT_EQ(HeightText(1860, 360, 1000), "57.3333333333333");
    EXPECT_EQ(HeightText(1860, 360, 1860), "0");
    EXPECT_EQ(HeightText(1860, 360, 360), "100");
    EXPECT_EQ(HeightText(1860, 360, 350), "100.666666666667");
    EXPECT_FALSE(HeightText(1860, 360, 1860.5f).has_value());
    EXPECT_FALSE(HeightText(1860, 360, 349.5f).has_value());
}

TEST(HarmonicComb, OffsetsAreOctaveFractionsOfTheFundamental) {
    const auto off = HarmonicOffsets();
    const double expected[] = {1800,   2852.9, 3600,   4179.5, 4652.9, 5053.2, 5400, 5705.9,
                               5979.5, 6227.0, 6452.9, 6660.8, 6853.2, 7032.4, 7200, 7357.4};
    for (int i = 1; i <= 16; ++i) {
        EXPECT_NEAR(off[static_cast<std::size_t>(i)], expected[i - 1], 0.05)
            << "harmonic " << i + 1;
        EXPECT_NEAR(off[static_cast<std::size_t>(i)], 1800 * std::log2(i + 1.0), 1e-9);
    }
}
