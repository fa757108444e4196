// The spectrum view under the mouse: naming, height, peak mark, harmonic comb, keyboard naming.
#include "spectrum_fixture.h"

#include <string>

namespace {
const Colour kRedText = 0x0000FF;
}

TEST_F(SpectrumViewTest, PointerPositionsNameFrequencyNoteAndOctave) {
    const struct {
        float x;
        const char* frequency;
        bool red;
        const char* name;
        const char* octave;
        int noteCode;
    } cases[] = {
        {15900, "440", true, "La  (A)", "Octave: 4", 69},
        {14100, "220", true, "La  (A)", "Octave: 3", 57},
        {16350, "523.251", true, "Do  (C)", "Octave: 5", 72},
        {15907.5f, "440", true, "La  (A)", "Octave: 4", 69},
        {15922.5f, "445.113", false, "La  (A)", "Octave: 4", 69},
        {13000, "144.31", false, "Re  (D)", "Octave: 3", 50},
        {5550, "8.176", true, "Do  (C)", "Octave: -1", 0},
    };
    for (const auto& c : cases) {
        view->Picture2_MouseMove(0, 0, c.x, 1000);
        EXPECT_EQ(view->Label2.Caption(), c.frequency) << c.x;
        EXPECT_EQ(view->Label3.Caption(), c.name) << c.x;
        EXPECT_EQ(view->Label4.Caption(), c.octave) << c.x;
        const Colour colour = c.red ? kRedText : kSysButtonText;
        EXPECT_EQ(view->Label2.ForeColor(), colour) << c.x;
        EXPECT_EQ(view->Label3.ForeColor(), colour) << c.x;
        EXPECT_EQ(notes.NoteCode(), c.noteCode) << c.x;
        EXPECT_EQ(view->Line1.X1(), c.x) << c.x;
        // The frequency stands right-justified against "Hz".
        EXPECT_EQ(view->Label2.Left() + view->Label2.Width(), 5040) << c.x;
    }
}

TEST_F(SpectrumViewTest, BelowTheLowestNoteTheNoteCodeIsKept) {
    view->Picture2_MouseMove(0, 0, 14100, 1000);
    view->Picture2_MouseMove(0, 0, 5400, 1000);
    EXPECT_EQ(notes.NoteCode(), 57);
    EXPECT_EQ(view->KeyX(), 5400);
    EXPECT_EQ(view->Label4.Caption(), "Octave: -2");
}

TEST_F(SpectrumViewTest, StartUpDemonstrationMoveAndPress) {
    view->Command2_Click();
    view->Picture2_MouseMove(0, 0, 15160, 1000);
    view->Picture2_MouseDown(1, 0, 15160, 1300);

    EXPECT_TRUE(TestServices().messages.shown.empty());
    EXPECT_EQ(view->Label2.Caption(), "331.537");
    EXPECT_EQ(view->Label3.Caption(), "Mi  (E)");
    EXPECT_EQ(view->Label4.Caption(), "Octave: 4");
    EXPECT_EQ(view->KeyX(), 15150);
    EXPECT_EQ(notes.NoteCode(), 64);
    EXPECT_EQ(view->Label6.Caption(), "57.3333333333333");
    EXPECT_TRUE(view->Label6.Visible());
    EXPECT_TRUE(view->Label7.Visible());
    EXPECT_TRUE(view->Label8.Visible());
    EXPECT_GE(view->Label8.Left(), view->Label6.Left() + view->Label6.Width());
    EXPECT_TRUE(view->Line1.Visible());

    EXPECT_TRUE(view->MarkPeak());
    EXPECT_TRUE(view->Image2.Visible());
    EXPECT_EQ(view->Image2.Left(), 14920);
    EXPECT_EQ(view->Image2.Top(), 400);
    EXPECT_EQ(view->XMark(), 15160);
}

TEST_F(SpectrumViewTest, HeightShowsOnlyBetweenBaselineAndTop) {
    const struct {
        float y;
        bool shown;
    } cases[] = {{1860, true}, {1861, false}, {350, true}, {349, false}, {360, true}};
    for (const auto& c : cases) {
        view->Picture2_MouseMove(0, 0, 15000, c.y);
        EXPECT_EQ(view->Label6.Visible(), c.shown) << c.y;
        EXPECT_EQ(view->Label7.Visible(), c.shown) << c.y;
        EXPECT_EQ(view->Label8.Visible(), c.shown) << c.y;
    }
    view->Picture2_MouseMove(0, 0, 15000, 350);
    EXPECT_EQ(view->Label6.Caption(), "100.666666666667");
}

TEST_F(SpectrumViewTest, LeftButtonMoveChangesNothing) {
    view->Picture2_MouseMove(0, 0, 15900, 1000);
    view->Picture2_MouseMove(1, 0, 13000, 1500);
    EXPECT_EQ(view->Label2.Caption(), "440");
    EXPECT_EQ(view->Label6.Caption(), "57.3333333333333");
    EXPECT_EQ(view->Line1.X1(), 15900);
    EXPECT_EQ(notes.NoteCode(), 69);
}

TEST_F(SpectrumViewTest, MarkPeakAndEraseMark) {
    view->Command2_Click(); // the first press shows no box
    EXPECT_EQ(view->Command2.Caption(), "Erase mark");
    EXPECT_FALSE(view->FirstRun);
    EXPECT_TRUE(view->Image2.Visible());
    EXPECT_EQ(view->Image2.Left(), 5640);
    EXPECT_EQ(view->Image2.Top(), 720);
    view->Picture2_MouseDown(2, 0, 9000, 1000); // only the left button places the mark
    EXPECT_EQ(view->Image2.Left(), 5640);
    view->Picture2_MouseDown(1, 0, 9000, 1000);
    EXPECT_EQ(view->Image2.Left(), 8760);
    EXPECT_EQ(view->Image2.Top(), 100);

    view->Command2_Click();
    EXPECT_EQ(view->Command2.Caption(), "Mark peak");
    EXPECT_FALSE(view->MarkPeak());
    EXPECT_FALSE(view->Image2.Visible());
    EXPECT_EQ(view->XMark(), 9000); // kept after erasing
    view->Picture2_MouseDown(1, 0, 12000, 1000);
    EXPECT_EQ(view->XMark(), 9000);
    EXPECT_TRUE(TestServices().messages.shown.empty());

    for (int press = 0; press < 2; ++press) {
        view->Command2_Click(); // every later "Mark peak" explains itself
        ASSERT_EQ(TestServices().messages.shown.size(), static_cast<std::size_t>(press + 1));
        const ShownMessage& box = TestServices().messages.shown.back();
        EXPECT_EQ(box.title, "Mark peak");
        EXPECT_EQ(box.text, "Position Mouse Arrow on the desired\r\npeak and press left button.");
        EXPECT_EQ(box.icon, MsgIcon::Information);
        EXPECT_TRUE(view->Image2.Visible());
        EXPECT_EQ(view->Image2.Left(), 8760); // where it last stood
        view->Command2_Click();
    }
}

TEST_F(SpectrumViewTest, HarmonicCombShowsDragsAndHides) {
    view->Picture2_MouseMove(0, 0, 15160, 1000);
    view->Command1_Click();
    EXPECT_EQ(view->Command1.Caption(), "Harmonics off");
    EXPECT_FALSE(view->Line1.Visible());
    for (std::size_t i = 0; i < view->Line2.size(); ++i) {
        const LineControl& line = *view->Line2[i];
        EXPECT_TRUE(line.Visible()) << i;
        EXPECT_DOUBLE_EQ(line.X1(), 13000 + (i == 0 ? 0 : view->HarmOffset(static_cast<int>(i))));
        EXPECT_EQ(line.X2(), line.X1());
        EXPECT_EQ(line.Y1(), 700);
        EXPECT_EQ(line.Y2(), 400);
    }
    EXPECT_DOUBLE_EQ(view->Line2[1]->X1(), 14800); // the octave

    // A right-button drag moves only the comb.
    view->Picture2_MouseMove(2, 0, 14000, 1500);
    EXPECT_EQ(view->Line2[0]->X1(), 14000);
    EXPECT_EQ(view->Line2[0]->Y1(), 1400);
    EXPECT_EQ(view->Line2[0]->Y2(), 1100);
    EXPECT_DOUBLE_EQ(view->Line2[16]->X1(), 14000 + view->HarmOffset(16));
    EXPECT_EQ(view->Label2.Caption(), "331.537");
    EXPECT_EQ(view->Label6.Caption(), "57.3333333333333");
    EXPECT_FALSE(view->Line1.Visible());

    // The cursor comes back with the next ordinary move.
    view->Picture2_MouseMove(0, 0, 15900, 1000);
    EXPECT_TRUE(view->Line1.Visible());
    EXPECT_EQ(view->Label2.Caption(), "440");

    view->Command1_Click();
    EXPECT_EQ(view->Command1.Caption(), "Harmonics on");
    for (const auto& line : view->Line2) {
        EXPECT_FALSE(line->Visible());
    }
    // With the comb off a right-button move names like any move.
    view->Picture2_MouseMove(2, 0, 14100, 1000);
    EXPECT_EQ(view->Label2.Caption(), "220");
    EXPECT_FALSE(view->Line2[0]->Visible());
}

TEST_F(SpectrumViewTest, KeyboardNamesTheKeyUnderThePointer) {
    view->Picture2_MouseMove(0, 0, 15000, 1000); // height on show
    view->Image1_MouseMove(0, 0, 8625, 300);
    EXPECT_EQ(view->Label2.Caption(), "220");
    EXPECT_EQ(view->Label3.Caption(), "La  (A)");
    EXPECT_EQ(view->Label4.Caption(), "Octave: 3");
    EXPECT_EQ(notes.NoteCode(), 57);
    EXPECT_EQ(view->KeyX(), 14100);
    EXPECT_EQ(view->Line1.X1(), 14100);
    EXPECT_EQ(view->Label6.Caption(), "57.3333333333333"); // the height readout is skipped
    EXPECT_TRUE(view->Label6.Visible());

    view->Image1_MouseMove(0, 0, 10425, 600); // the upper 600 twips play
    EXPECT_EQ(view->Label2.Caption(), "440");
    EXPECT_EQ(notes.NoteCode(), 69);
    view->Image1_MouseMove(0, 0, 8625, 601); // below them nothing is named
    view->Image1_MouseMove(2, 0, 8625, 300); // nor with the right button held
    EXPECT_EQ(view->Label2.Caption(), "440");
    EXPECT_EQ(notes.NoteCode(), 69);

    // The next ordinary move reads the height again.
    view->Picture2_MouseMove(0, 0, 15000, 1900);
    EXPECT_FALSE(view->Label6.Visible());
}
