// The start-up demonstration's two timer halves, run one after the other as the timers run
// them: the state they leave, the program folder's path passed on unchanged, a missing
// demonstration file, and a block "FFT" cannot read.
#include "notes_fixture.h"

#include "tests/support/failing_reads.h"
#include "waveview/waveform_view.h"

#include <QAction>

#include <cstdio>
#include <memory>

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

TEST_F(Demonstration, ABlockFftCannotReadSaysSoAndLeavesNothingToMarkOrCompare) {
    MDIForm1& main = Frame();
    main.Timer2_Timer();
    Form101& spectrum = Spectrum();
    ASSERT_EQ(spectrum.NPontGraf, 2048);
    // The disk fails under the file: "FFT" reads the selection again and meets EIO.
    program->Channel1().UseReadSystem(std::make_unique<FailingReads>());
    Wave().Command5_Click();

    const std::string said = "FFT could not read its block of Demo.wav: Input/output error";
    EXPECT_EQ(main.StatusText(), said);
    EXPECT_EQ(spectrum.NPontGraf, 0) << "the earlier spectrum is no longer on show";
    EXPECT_EQ(spectrum.BlockPoints(), 0);
    EXPECT_NE(spectrum.CopiedTable().find("# No analysis yet"), std::string::npos);
    EXPECT_FALSE(program->Channel1().IsOpen());
    EXPECT_EQ(Wave().Pointer(), MousePointer::Default);

    // A new window has no block to transform again, and says so.
    main.Item("mnuHann")->trigger();
    EXPECT_EQ(spectrum.NPontGraf, 0);
    EXPECT_EQ(main.StatusText().rfind(said + "; ", 0), 0u) << main.StatusText();

    // The second half marks nothing, names nothing and compares nothing.
    main.Timer3_Timer();
    EXPECT_FALSE(main.Timer3.Enabled());
    EXPECT_FALSE(spectrum.MarkPeak());
    EXPECT_FALSE(spectrum.Image2.Visible());
    EXPECT_FALSE(spectrum.FirstRun) << "the user's first \"Mark peak\" shows its instructions";
    EXPECT_EQ(spectrum.Label3.Caption(), "");
    EXPECT_FALSE(Wave().CompareArmed);
    EXPECT_TRUE(Wave().PlayIdle);
    EXPECT_EQ(main.StatusText().rfind(said, 0), 0u) << main.StatusText();
    EXPECT_TRUE(TestServices().messages.shown.empty());

    // Once the disk reads again, "FFT" analyses as before.
    program->Channel1().UseReadSystem(KernelReadSystem());
    Wave().Command5_Click();
    EXPECT_EQ(spectrum.NPontGraf, 2048);
    EXPECT_TRUE(spectrum.Unread().empty());
}
