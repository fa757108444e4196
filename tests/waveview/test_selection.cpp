#include "selection_fixture.h"

namespace {

// Sets the stretch on show directly, as the demonstration's numbers assume it.
void SetView(Form103& f, const std::string& iniMs, const std::string& secs,
             const std::string& points, const std::string& iniPoint) {
    Writable(f.ViewIniMs()).SetCaption(iniMs);
    Writable(f.ViewSecs()).SetCaption(secs);
    Writable(f.ViewPoints()).SetCaption(points);
    Writable(f.ViewIniPoint()).SetCaption(iniPoint);
}

struct Table {
    std::string iniTime, endTime, time, iniPoint, endPoint, points, fft;
};

Table Read(Form103& f) {
    return {f.SelIniTime().Caption(),  f.SelEndTime().Caption(),  f.SelTime().Caption(),
            f.SelIniPoint().Caption(), f.SelEndPoint().Caption(), f.SelPoints().Caption(),
            f.FftPoints().Caption()};
}

void ExpectTable(Form103& f, const Table& want) {
    const Table got = Read(f);
    EXPECT_EQ(got.iniTime, want.iniTime);
    EXPECT_EQ(got.endTime, want.endTime);
    EXPECT_EQ(got.time, want.time);
    EXPECT_EQ(got.iniPoint, want.iniPoint);
    EXPECT_EQ(got.endPoint, want.endPoint);
    EXPECT_EQ(got.points, want.points);
    EXPECT_EQ(got.fft, want.fft);
}

// The selection windows and the copies obey the mirroring rule.
void ExpectWindow(Form103& f, double left, double width) {
    EXPECT_TRUE(f.Picture3.Visible());
    EXPECT_TRUE(f.Picture6.Visible());
    EXPECT_DOUBLE_EQ(f.Picture3.Left(), left);
    EXPECT_DOUBLE_EQ(f.Picture3.Width(), width);
    EXPECT_DOUBLE_EQ(f.Picture6.Left(), left);
    EXPECT_DOUBLE_EQ(f.Picture6.Width(), width);
    EXPECT_DOUBLE_EQ(f.Picture4.Left(), -left);
    EXPECT_DOUBLE_EQ(f.Picture7.Left(), -left);
}

} // namespace

class Selection : public ViewTest {};

TEST_F(Selection, DemonstrationPressThenMoveWithoutRelease) {
    Form103& f = Load(1, 16, 8000, 16000);
    ASSERT_DOUBLE_EQ(f.Picture2.ScaleWidth(), 9980);
    SetView(f, "0", "2", "801", "0");

    f.Picture2_MouseDown(1, 0, 100, 100);
    EXPECT_EQ(f.SelIniMs, 20);
    EXPECT_EQ(f.SelEndMs, 2000);
    ExpectTable(f, {"0.02", "2", "1.98", "8", "800", "793", "512"});
    ExpectWindow(f, 100, 0);

    f.Picture2_MouseMove(1, 0, 500, 100);
    EXPECT_EQ(f.SelEndMs, 100);
    ExpectTable(f, {"0.02", "0.1", "0.08", "8", "40", "33", "32"});
    ExpectWindow(f, 100, 400);
    EXPECT_FALSE(f.DragLeftEdge);
    EXPECT_FALSE(f.DragRightEdge);
}

TEST_F(Selection, HalfwayTimesRoundToEven) {
    Form103& f = Load(1, 16, 8000, 16000);
    f.Picture2.SetWidth(10060); // a client 10000 twips wide
    SetView(f, "0", "1", "8000", "0");
    Press(f, 25);
    EXPECT_EQ(f.SelIniMs, 2);
    Press(f, 35);
    EXPECT_EQ(f.SelIniMs, 4);
}

TEST_F(Selection, DragsPastEitherEndKeepTheLastValidEnd) {
    Form103& f = Load(1, 16, 9980, 9981); // one frame and one ms per twip
    SetView(f, "0", "9.98", "9981", "0"); // one ms and one frame per twip
    Press(f, 1000);
    Drag(f, 3000);
    ExpectTable(f, {"1", "3", "2", "1000", "3000", "2001", "1024"});

    Drag(f, 999);  // left of the start
    Drag(f, 1000); // on the start: not right of it
    Drag(f, 9981); // past the graph
    ExpectTable(f, {"1", "3", "2", "1000", "3000", "2001", "1024"});
    ExpectWindow(f, 1000, 2000);

    Drag(f, 9980); // the right end itself is inside
    EXPECT_EQ(f.SelEndPoint().Caption(), "9980");
    Drag(f, 4000); // and back inside continues
    ExpectTable(f, {"1", "4", "3", "1000", "4000", "3001", "2048"});
    ExpectWindow(f, 1000, 3000);
}

TEST_F(Selection, PressAloneSelectsToTheEndOfTheStretch) {
    Form103& f = Load(1, 16, 9980, 9981);
    SetView(f, "0", "9.98", "9981", "0"); // one ms and one frame per twip
    Press(f, 7000);
    ExpectTable(f, {"7", "9.98", "2.98", "7000", "9980", "2981", "2048"});
    ExpectWindow(f, 7000, 0);
}

TEST_F(Selection, GuardsLeaveEverythingAlone) {
    Form103& f = Load(1, 16, 9980, 9981);
    const Table empty = Read(f);

    f.PlayIdle = false;
    Press(f, 1000);
    f.Picture5_MouseDown(1, 0, 1000, 10);
    EXPECT_FALSE(f.Picture3.Visible());
    ExpectTable(f, empty);

    f.PlayIdle = true;
    Press(f, 1000, kRightButton); // a right press starts nothing
    Press(f, 1000, kLeftButton | kRightButton);
    EXPECT_FALSE(f.Picture3.Visible());
    ExpectTable(f, empty);

    Select(f, 1000, 3000);
    const Table selected = Read(f);
    f.PlayIdle = false;
    Drag(f, 5000);
    Hover(f, 980);
    EXPECT_EQ(f.Picture2.Pointer(), MousePointer::Default);
    f.Picture4_MouseDown(1, 0, 2000, 10);
    ExpectTable(f, selected);
    ExpectWindow(f, 1000, 2000);

    f.PlayIdle = true;
    f.FileLoaded = false; // no file: presses do nothing
    Press(f, 5000);
    f.Picture5_MouseDown(1, 0, 5000, 10);
    ExpectTable(f, selected);
}

TEST_F(Selection, HoverShowsTheResizeArrowOnlyInTheOutsideZones) {
    Form103& f = Load(1, 16, 9980, 9981);
    Hover(f, 500); // nothing selected: moves do nothing
    EXPECT_EQ(f.Picture2.Pointer(), MousePointer::Default);

    Select(f, 1000, 2000);
    const struct {
        float x;
        MousePointer shape;
    } cases[] = {
        {960, MousePointer::SizeWE},     {951, MousePointer::SizeWE},
        {950, MousePointer::Default},    {1000, MousePointer::Default},
        {2000.5, MousePointer::Default}, {2001.5, MousePointer::SizeWE},
        {2049, MousePointer::SizeWE},    {2050, MousePointer::Default},
    };
    for (const auto& c : cases) {
        Hover(f, c.x);
        EXPECT_EQ(f.Picture2.Pointer(), c.shape) << "x " << c.x;
    }

    Select(f, 1000, 1050); // 50 wide: never grabbable from outside
    Hover(f, 990);
    EXPECT_EQ(f.Picture2.Pointer(), MousePointer::Default);
    Select(f, 1000, 1051);
    Hover(f, 990);
    EXPECT_EQ(f.Picture2.Pointer(), MousePointer::SizeWE);
}

TEST_F(Selection, PressInAnOutsideZoneOfANarrowSelectionDoesNothing) {
    Form103& f = Load(1, 16, 9980, 9981);
    Select(f, 1000, 1030);
    const Table before = Read(f);
    f.Picture2.SetPointer(MousePointer::SizeWE); // left over from a wider selection
    Press(f, 980);
    EXPECT_FALSE(f.DragLeftEdge);
    EXPECT_FALSE(f.DragRightEdge);
    ExpectTable(f, before);
    ExpectWindow(f, 1000, 30);
}

TEST_F(Selection, LeftEdgeDragStopsShortOfTheRightEdge) {
    Form103& f = Load(1, 16, 9980, 9981);
    SetView(f, "0", "9.98", "9981", "0"); // one ms and one frame per twip
    Select(f, 1000, 3000);
    Hover(f, 970);
    Press(f, 970);
    EXPECT_TRUE(f.DragLeftEdge);
    EXPECT_EQ(f.DragLeft0, 1000);
    EXPECT_EQ(f.DragWidth0, 2000);
    EXPECT_EQ(f.SelIniPoint().Caption(), "1000"); // a grab starts no new selection

    Drag(f, 1500);
    ExpectWindow(f, 1500, 1500);
    EXPECT_TRUE(f.Picture4.Visible());
    EXPECT_EQ(f.LastMouseX, 1500);
    EXPECT_EQ(f.SelEndMs, 3000);
    ExpectTable(f, {"1.5", "3", "1.5", "1500", "3000", "1501", "1024"});

    Drag(f, 500); // leftwards past the old start
    ExpectWindow(f, 500, 2500);
    Drag(f, 2960); // 40 short of the right edge: the window stays
    ExpectWindow(f, 500, 2500);
    Drag(f, 2950); // exactly 50 short is allowed
    ExpectWindow(f, 2950, 50);
    ExpectTable(f, {"2.95", "3", "0.05", "2950", "3000", "51", "32"});
    Drag(f, -10); // left of the graph: nothing
    ExpectWindow(f, 2950, 50);

    Release(f, -10);
    EXPECT_FALSE(f.DragLeftEdge);
    EXPECT_EQ(f.Picture2.Pointer(), MousePointer::Default);
}

TEST_F(Selection, RightEdgeDragStopsFiftyRightOfTheLeftEdge) {
    Form103& f = Load(1, 16, 9980, 9981);
    SetView(f, "0", "9.98", "9981", "0"); // one ms and one frame per twip
    Select(f, 1000, 3000);
    Hover(f, 3030);
    Press(f, 3030, kRightButton); // an edge is grabbed with any button
    EXPECT_TRUE(f.DragRightEdge);
    Drag(f, 5000, kRightButton);
    ExpectWindow(f, 1000, 4000);
    ExpectTable(f, {"1", "5", "4", "1000", "5000", "4001", "2048"});

    Drag(f, 1050, kRightButton); // 50 right of the left edge: refused
    ExpectWindow(f, 1000, 4000);
    Drag(f, 9990, kRightButton); // past the graph: refused
    ExpectWindow(f, 1000, 4000);
    Drag(f, 1051, kRightButton);
    ExpectWindow(f, 1000, 51);
    EXPECT_EQ(f.SelPoints().Caption(), "52");
    f.Picture2_MouseUp(kRightButton, 0, 1051, 10);
    EXPECT_FALSE(f.DragRightEdge);
}

TEST_F(Selection, AStepAtTheRememberedXOnlyShowsTheCopies) {
    Form103& f = Load(1, 16, 9980, 9981);
    Select(f, 100, 3000);
    ASSERT_EQ(f.LastMouseX, 0);
    Hover(f, 60);
    Press(f, 60);
    ASSERT_TRUE(f.DragLeftEdge);
    Drag(f, 0); // x equals the untouched LastMouseX: the edge does not move to 0
    ExpectWindow(f, 100, 2900);
    Drag(f, 800);
    Drag(f, 2990); // too close to the right edge: no move, but remembered
    Release(f, 2990);
    ExpectWindow(f, 800, 2200);
    ASSERT_EQ(f.LastMouseX, 2990);

    // A later right-edge drag to the remembered x changes nothing but the copies.
    Hover(f, 3020);
    Press(f, 3020);
    ASSERT_TRUE(f.DragRightEdge);
    const std::string end = f.SelEndPoint().Caption();
    f.Picture4.SetVisible(false);
    Drag(f, 2990);
    ExpectWindow(f, 800, 2200);
    EXPECT_EQ(f.SelEndPoint().Caption(), end);
    EXPECT_TRUE(f.Picture4.Visible());
    Drag(f, 1500);
    ExpectWindow(f, 800, 700);
}

TEST_F(Selection, AFarOutsideLeftDragIsClampedInsteadOfOverflowing) {
    Form103& f = Load(1, 16, 9980, 9981);
    Select(f, 1000, 3000);
    Hover(f, 970);
    Press(f, 970);
    Drag(f, 2000);
    const Table before = Read(f);
    EXPECT_NO_THROW(Drag(f, 40000));
    EXPECT_EQ(f.LastMouseX, 32767);
    ExpectWindow(f, 2000, 1000);
    ExpectTable(f, before);
}

TEST_F(Selection, InsideTheSelectionGrabZonesAndNewSelections) {
    Form103& f = Load(1, 16, 9980, 9981);
    SetView(f, "0", "9.98", "9981", "0"); // one ms and one frame per twip
    Select(f, 1000, 3000);
    auto hover4 = [&](float x) { f.Picture4_MouseMove(0, 0, x, 10); };

    hover4(1040);
    EXPECT_EQ(f.Picture4.Pointer(), MousePointer::SizeWE);
    f.Picture4_MouseDown(1, 0, 1040, 10);
    EXPECT_TRUE(f.DragLeftEdge);
    f.Picture4_MouseMove(1, 0, 1200, 10);
    ExpectWindow(f, 1200, 1800);
    f.Picture4_MouseUp(1, 0, 1200, 10);
    EXPECT_FALSE(f.DragLeftEdge);
    EXPECT_EQ(f.Picture4.Pointer(), MousePointer::Default);

    hover4(2950);
    f.Picture4_MouseDown(1, 0, 2950, 10);
    EXPECT_TRUE(f.DragRightEdge);
    f.Picture4_MouseMove(1, 0, 2500, 10);
    ExpectWindow(f, 1200, 1300);
    f.Picture4_MouseUp(1, 0, 2500, 10);

    // Away from the zones a press starts a new selection that the drag does not widen.
    f.Picture2.SetPointer(MousePointer::SizeWE);
    hover4(1800);
    EXPECT_EQ(f.Picture4.Pointer(), MousePointer::Default);
    EXPECT_EQ(f.Picture2.Pointer(), MousePointer::Default);
    f.Picture4_MouseDown(1, 0, 1800, 10);
    f.Picture4_MouseMove(1, 0, 2200, 10);
    ExpectWindow(f, 1800, 0);
    ExpectTable(f, {"1.8", "9.98", "8.18", "1800", "9980", "8181", "4096"});
}

TEST_F(Selection, ANarrowSelectionIsGrabbedByThirds) {
    Form103& f = Load(1, 16, 9980, 9981);
    Select(f, 1000, 1090);
    f.Picture4_MouseMove(0, 0, 1070, 10);
    EXPECT_EQ(f.Picture4.Pointer(), MousePointer::SizeWE);
    f.Picture4_MouseDown(2, 0, 1029, 10);
    EXPECT_TRUE(f.DragLeftEdge);
    EXPECT_FALSE(f.DragRightEdge);
    f.Picture4_MouseUp(2, 0, 1029, 10);
    f.Picture4_MouseMove(0, 0, 1070, 10);
    f.Picture4_MouseDown(2, 0, 1030, 10);
    EXPECT_FALSE(f.DragLeftEdge);
    EXPECT_TRUE(f.DragRightEdge);
    f.Picture4_MouseUp(2, 0, 1030, 10);

    Select(f, 1000, 1050); // 50 wide: no grab zone at all
    f.Picture4_MouseMove(0, 0, 1010, 10);
    EXPECT_EQ(f.Picture4.Pointer(), MousePointer::Default);
}

TEST_F(Selection, TheRightGraphSelectsButNeverGrabs) {
    Form103& f = Load(2, 16, 9980, 9981);
    SetView(f, "0", "9.98", "9981", "0"); // one ms and one frame per twip
    ASSERT_TRUE(f.Picture5.Visible());
    f.Picture5_MouseDown(2, 0, 2000, 10);
    EXPECT_FALSE(f.Picture3.Visible());
    f.Picture5_MouseDown(1, 0, 2000, 10);
    f.Picture5_MouseMove(1, 0, 2500, 10);
    ExpectWindow(f, 2000, 500);
    ExpectTable(f, {"2", "2.5", "0.5", "2000", "2500", "501", "256"});
    f.Picture5_MouseMove(1, 0, 1990, 10);
    f.Picture5_MouseMove(2, 0, 3000, 10);
    f.Picture5_MouseMove(0, 0, 1990, 10);
    ExpectWindow(f, 2000, 500);
    EXPECT_EQ(f.Picture5.Pointer(), MousePointer::Default);
    EXPECT_FALSE(f.DragLeftEdge || f.DragRightEdge);
}

TEST_F(Selection, MovesNeverRedraw) {
    Form103& f = Load(2, 16, 9980, 9981);
    const int beeps = TestServices().beep.count;
    Select(f, 1000, 3000);
    Hover(f, 970);
    Press(f, 970);
    Drag(f, 1500);
    Release(f, 1500);
    EXPECT_EQ(TestServices().beep.count, beeps);
}

// ---- What shows through the selection windows ----

TEST_F(Selection, TheWindowShowsTheInverseOfExactlyTheSelectedStretch) {
    Form103& f = Load(2, 16, 44100, 30000, Wave);
    f.Show();
    QApplication::processEvents();

    Select(f, 1000, 4000);
    QApplication::processEvents();
    ExpectHighlight(f.Picture2, f.Picture4, TwipsToPx(1000), TwipsToPx(4000));
    ExpectHighlight(f.Picture5, f.Picture7, TwipsToPx(1000), TwipsToPx(4000));

    // After a left-edge drag, and at a position between two pixels.
    Hover(f, 980);
    Press(f, 980);
    Drag(f, 2507.5f);
    Release(f, 2507.5f);
    QApplication::processEvents();
    ExpectHighlight(f.Picture2, f.Picture4, TwipsToPx(2507.5), TwipsToPx(4000));
    ExpectHighlight(f.Picture5, f.Picture7, TwipsToPx(2507.5), TwipsToPx(4000));
}

TEST_F(Selection, TheCopyIsTheGraphInInverseColours) {
    Form103& f = Load(1, 16, 44100, 30000, Wave);
    const QColor back = f.Picture2.PixelAt(10, 10);
    const QColor fore = f.Picture4.PixelAt(10, 10);
    const QImage graph = f.Picture2.Image().convertToFormat(QImage::Format_RGB32);
    const QImage copy = f.Picture4.Image().convertToFormat(QImage::Format_RGB32);
    // Colour pairs: background <-> highlight, samples <-> caption text, guides stay.
    int samplePixels = 0;
    int mismatches = 0;
    for (int y = 0; y < graph.height(); ++y) {
        for (int x = 0; x < graph.width(); ++x) {
            const QRgb g = graph.pixel(x, y);
            const QRgb c = copy.pixel(x, y);
            if (g == back.rgb()) {
                mismatches += c != fore.rgb();
            } else {
                ++samplePixels;
                mismatches += c == fore.rgb();
            }
        }
    }
    EXPECT_GT(samplePixels, 10000);
    EXPECT_EQ(mismatches, 0);
}
