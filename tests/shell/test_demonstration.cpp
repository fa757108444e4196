// The start-up demonstration's two timer halves, run one after the other as the timers run
// them: the state they leave, the program folder's path passed on unchanged, and a missing
// demonstration file.
#include "notes_fixture.h"

#include "waveview/waveform_view.h"

#include <cstdio>

using Demonstration = NotesTest;

TEST_F(Demonstration, TheFirstHalfLoadsSelectsAnalysesAndArmsTheSecond) {
    MDIForm1& main = TheMDIForm1();
    main.Timer2_Timer();
    EXPECT_FALSE(main.Timer2.Enabled());
    EXPECT_TRUE(main.Timer3.Enabled());
    Form103& wave = TheForm103();
    EXPECT_EQ(main.CommonDialog1().FileName(), folder.Path() + "/Demo.wav");
    ASSERT_TRUE(wave.FileLoaded);
    EXPECT_EQ(main.Pointer(), MousePointer::Default);
    EXPECT_FLOAT_EQ(wave.Picture3.Left(), 100);
    EXPECT_FLOAT_EQ(wave.Picture3.Width(), 400);
    EXPECT_EQ(wave.FftPoints().Caption(), "4096");
    EXPECT_EQ(TheForm101().NPontGraf, 2048);
    EXPECT_FALSE(TheForm101().MarkPeak());

    main.Timer3_Timer();
    EXPECT_FALSE(main.Timer3.Enabled());
    Form101& spectrum = TheForm101();
    EXPECT_TRUE(spectrum.MarkPeak());
    EXPECT_FLOAT_EQ(spectrum.XMark(), 15160);
    EXPECT_EQ(spectrum.Label2.Caption(), "331.537");
    EXPECT_EQ(spectrum.Label3.Caption(), "Mi  (E)");
    EXPECT_EQ(spectrum.Label4.Caption(), "Octave: 4");
    EXPECT_TRUE(TestServices().messages.shown.empty()); // the first "Mark peak" shows no box
    EXPECT_TRUE(wave.CompareArmed);
    EXPECT_FALSE(wave.PlayIdle);
    EXPECT_FALSE(wave.Command9.Enabled());
}

TEST_F(Demonstration, AFolderEndingInASeparatorGivesADoubledOnePassedOnUnchanged) {
    SetAppPath(folder.Path() + "/");
    DestroyWindows();
    MDIForm1& main = TheMDIForm1();
    main.Timer2.SetEnabled(false);
    EXPECT_EQ(TheForm101().MMControl1.FileName(), folder.Path() + "//Pia_do.mid");
    EXPECT_TRUE(TheForm101().MMControl1.IsOpen());
    main.Timer2_Timer();
    EXPECT_EQ(main.CommonDialog1().FileName(), folder.Path() + "//Demo.wav");
    EXPECT_TRUE(TheForm103().FileLoaded);
}

TEST_F(Demonstration, AMissingFileTakesTheReadersFailurePathAndTheRestRunsHarmlessly) {
    std::remove(folder.File("Demo.wav").c_str());
    MDIForm1& main = TheMDIForm1();
    main.Timer2_Timer();
    ASSERT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_EQ(TestServices().messages.shown[0].text,
              "Cannot open; the file may be corrupted, or\r\nit is written in unsupported format.");
    EXPECT_EQ(TestServices().files.filters.size(), 1u); // the open dialog, cancelled
    EXPECT_FALSE(TheForm103().FileLoaded);
    EXPECT_TRUE(main.Timer3.Enabled());

    main.Timer3_Timer();
    EXPECT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_FLOAT_EQ(TheForm101().XMark(), 15160);
    // "Play" has no file to play: the comparison stays armed for a later play.
    EXPECT_TRUE(TheForm103().CompareArmed);
    EXPECT_TRUE(TheForm103().PlayIdle);
}
