// The start-up demonstration's two timer halves, run one after the other as the timers run
// them: the state they leave, the program folder's path passed on unchanged, and a missing
// demonstration file.
#include "notes_fixture.h"

#include "waveview/waveform_view.h"

#include <cstdio>

using Demonstration = NotesTest;

TEST_F(Demonstration, TheFirstHalfLoadsSelectsAnalysesAndArmsTheSecond) {
    MDIForm1& main = Frame();
    main.Timer2_Timer();
    EXPECT_FALSE(main.Timer2.Enabled());
    EXPECT_TRUE(main.Timer3.Enabled());
    Form103& wave = Wave();
    EXPECT_EQ(main.CommonDialog1().FileName(), folder.Path() + "/Demo.wav");
    ASSERT_TRUE(wave.FileLoaded);
    EXPECT_EQ(main.Pointer(), MousePointer::Default);
    EXPECT_FLOAT_EQ(wave.Picture3.Left(), 100);
    EXPECT_FLOAT_EQ(wave.Picture3.Width(), 400);
    EXPECT_EQ(wave.FftPoints().Caption(), "4096");
    EXPECT_EQ(Spectrum().NPontGraf, 2048);
    EXPECT_FALSE(Spectrum().MarkPeak());

    main.Timer3_Timer();
    EXPECT_FALSE(main.Timer3.Enabled());
    Form101& spectrum = Spectrum();
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
    Start(folder.Path() + "/", folder.UserPath() + "/");
    MDIForm1& main = Frame();
    main.Timer2.SetEnabled(false);
    EXPECT_EQ(Notes().PianoPlayer().FileName(), folder.UserPath() + "//Pia_do.mid");
    EXPECT_TRUE(Notes().PianoPlayer().IsOpen());
    main.Timer2_Timer();
    EXPECT_EQ(main.CommonDialog1().FileName(), folder.Path() + "//Demo.wav");
    EXPECT_TRUE(Wave().FileLoaded);
}

TEST_F(Demonstration, AMissingFileTakesTheReadersFailurePathAndTheRestRunsHarmlessly) {
    std::remove(folder.File("Demo.wav").c_str());
    MDIForm1& main = Frame();
    main.Timer2_Timer();
    ASSERT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_EQ(TestServices().messages.shown[0].text,
              "Cannot open; the file may be corrupted, or\r\nit is written in unsupported format.");
    EXPECT_EQ(TestServices().files.filters.size(), 1u); // the open dialog, cancelled
    EXPECT_FALSE(Wave().FileLoaded);
    EXPECT_TRUE(main.Timer3.Enabled());

    main.Timer3_Timer();
    EXPECT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_FLOAT_EQ(Spectrum().XMark(), 15160);
    // "Play" has no file to play: the comparison stays armed for a later play.
    EXPECT_TRUE(Wave().CompareArmed);
    EXPECT_TRUE(Wave().PlayIdle);
}
