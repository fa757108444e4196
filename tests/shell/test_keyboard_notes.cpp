// The keyboard under the spectrum: a right press writes the named key into the note file in
// use and plays it; the other presses explain themselves; releasing stops the note. And the
// comparison that plays the marked peak's note through it.
#include "notes_fixture.h"

#include "notes/note_files.h"
#include "waveview/waveform_view.h"

namespace {

constexpr std::int16_t kLeft = 1, kRight = 2, kMiddle = 4;

} // namespace

using Keyboard = NotesTest;

TEST_F(Keyboard, ARightPressWritesTheNamedKeyAndPlaysIt) {
    const struct {
        float x;
        const char* frequency;
        const char* name;
        const char* octave;
        std::uint8_t key;
    } cases[] = {
        {8625, "220", "La  (A)", "Octave: 3", 57},
        {10425, "440", "La  (A)", "Octave: 4", 69},
        {10425 + 150 * 3, "523.251", "Do  (C)", "Octave: 5", 72},
    };
    Form101& s = Spectrum();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frequency);
        s.Image1_MouseMove(0, 0, c.x, 300);
        EXPECT_EQ(s.Label2.Caption(), c.frequency);
        EXPECT_EQ(s.Label3.Caption(), c.name);
        EXPECT_EQ(s.Label4.Caption(), c.octave);
        EXPECT_EQ(Notes().NoteCode(), c.key);
        s.Image1_MouseDown(kRight, 0, c.x, 300);
        EXPECT_EQ(PianoByte(52), c.key);
        EXPECT_EQ(PianoByte(57), c.key);
        EXPECT_EQ(Notes().NoteFile(), folder.UserFile("Pia_do.mid"));
        EXPECT_TRUE(Notes().PianoPlayer().IsPlaying());
        EXPECT_FALSE(Notes().InstrumentPlayer().IsPlaying());
        s.Image1_MouseUp(kRight, 0, c.x, 300);
        EXPECT_FALSE(Notes().PianoPlayer().IsPlaying());
    }
    EXPECT_TRUE(TestServices().messages.shown.empty());
}

TEST_F(Keyboard, APressPutsTheCursorOnTheKeysCentreInRed) {
    Form101& s = Spectrum();
    s.Image1_MouseMove(0, 0, 8660, 300); // right of A3's centre at 8625
    EXPECT_EQ(s.Label2.ForeColor(), kSysButtonText);
    s.Image1_MouseDown(kRight, 0, 8660, 300);
    EXPECT_FLOAT_EQ(s.Line1.X1(), 14100);
    EXPECT_EQ(s.Label2.Caption(), "220");
    EXPECT_EQ(s.Label2.ForeColor(), Colour{0x0000FF});
}

TEST_F(Keyboard, OnlyTheUpperPartOfTheKeysPlays) {
    Form101& s = Spectrum();
    s.Image1_MouseMove(0, 0, 8625, 300);
    s.Image1_MouseDown(kRight, 0, 8625, 600);
    EXPECT_TRUE(Notes().PianoPlayer().IsPlaying());
    EXPECT_TRUE(TestServices().messages.shown.empty());
    s.Image1_MouseUp(kRight, 0, 8625, 600);

    s.Image1_MouseMove(0, 0, 10425, 300);
    s.Image1_MouseDown(kRight, 0, 10425, 601);
    ASSERT_EQ(TestServices().messages.shown.size(), 1u);
    const ShownMessage& m = TestServices().messages.shown[0];
    EXPECT_EQ(m.title, "Play a white key");
    EXPECT_EQ(m.text,
              "To play a white key on this keyboard\r\nyou must position the mouse a little "
              "higher\r\n(between black keys).");
    EXPECT_EQ(m.icon, MsgIcon::Information);
    EXPECT_FALSE(Notes().PianoPlayer().IsPlaying());
    EXPECT_EQ(PianoByte(52), 57); // the key of the last press
}

TEST_F(Keyboard, TheLeftButtonIsToldToUseTheRight) {
    Form101& s = Spectrum();
    s.Image1_MouseMove(0, 0, 10425, 300);
    for (float y : {300.0f, 900.0f}) {
        TestServices().Reset();
        s.Image1_MouseDown(kLeft, 0, 10425, y);
        ASSERT_EQ(TestServices().messages.shown.size(), 1u);
        EXPECT_EQ(TestServices().messages.shown[0].title, "Playing the keyboard");
        EXPECT_EQ(TestServices().messages.shown[0].text,
                  "Use the RIGHT mouse button\r\nto play this keyboard!");
        EXPECT_FALSE(Notes().PianoPlayer().IsPlaying());
    }
    EXPECT_EQ(PianoByte(52), ProgramFolder::Asset("Pia_do.mid").at(51));
}

TEST_F(Keyboard, TheMiddleButtonPlaysTheLastNamedKeyAnywhere) {
    Form101& s = Spectrum();
    s.Image1_MouseMove(0, 0, 10425 + 150, 300); // A#4, note 70
    // A move over the lower part names nothing, so the key stays the last one named.
    s.Image1_MouseMove(0, 0, 2000, 900);
    s.Image1_MouseDown(kMiddle, 0, 2000, 900);
    EXPECT_EQ(PianoByte(52), 70);
    EXPECT_EQ(PianoByte(57), 70);
    EXPECT_TRUE(Notes().PianoPlayer().IsPlaying());
    EXPECT_TRUE(TestServices().messages.shown.empty());
}

TEST_F(Keyboard, AnInstrumentPlaysFromTheInstrumentFileAndPianoFromThePianoFile) {
    Form101& s = Spectrum();
    Frame().mnuViolin_Click();
    s.Image1_MouseMove(0, 0, 8625, 300);
    s.Image1_MouseDown(kRight, 0, 8625, 300);
    EXPECT_EQ(InstrumentByte(108), 57);
    EXPECT_EQ(InstrumentByte(113), 57);
    EXPECT_EQ(InstrumentByte(52), 40); // the violin stays
    EXPECT_TRUE(Notes().InstrumentPlayer().IsPlaying());
    EXPECT_FALSE(Notes().PianoPlayer().IsOpen());
    EXPECT_EQ(PianoByte(52), ProgramFolder::Asset("Pia_do.mid").at(51));
    s.Image1_MouseUp(kRight, 0, 8625, 300);
    EXPECT_FALSE(Notes().InstrumentPlayer().IsPlaying());

    Frame().mnuPiano_Click();
    s.Image1_MouseMove(0, 0, 10425, 300);
    s.Image1_MouseDown(kRight, 0, 10425, 300);
    EXPECT_EQ(PianoByte(52), 69);
    EXPECT_EQ(PianoByte(57), 69);
    EXPECT_EQ(InstrumentByte(108), 57);
    EXPECT_TRUE(Notes().PianoPlayer().IsPlaying());
}

TEST_F(Keyboard, ThePianoPlayerClosesWhenItsNoteEnds) {
    Form101& s = Spectrum();
    s.Image1_MouseMove(0, 0, 10425, 300);
    s.Image1_MouseDown(kRight, 0, 10425, 300);
    s.Image1_MouseUp(kRight, 0, 10425, 300);
    EXPECT_TRUE(Notes().PianoPlayer().IsOpen());
    ASSERT_TRUE(PumpUntil([&] { return !Notes().PianoPlayer().IsOpen(); }, 1000));
    // The next press opens it again.
    s.Image1_MouseDown(kRight, 0, 10425, 300);
    EXPECT_TRUE(Notes().PianoPlayer().IsPlaying());
}

TEST_F(Keyboard, AMissingNoteFileIsRemadeFromItsTemplateAndPlays) {
    std::remove(folder.UserFile("Pia_do.mid").c_str());
    Form101& s = Spectrum();
    s.Image1_MouseMove(0, 0, 10425, 300);
    s.Image1_MouseDown(kRight, 0, 10425, 300);
    EXPECT_TRUE(Notes().PianoPlayer().IsPlaying());
    EXPECT_EQ(PianoByte(52), 69);
    EXPECT_EQ(ReadFile(folder.UserFile("Pia_do.mid")).size(),
              ProgramFolder::Asset("Pia_do.mid").size());
    EXPECT_TRUE(TestServices().messages.shown.empty());
}

TEST_F(Keyboard, CompareSoundsTheNoteOfAMarkAt15160) {
    // A quarter of a second of tone.
    WriteFile(folder.File("tone.wav"), MakeWave(1, 16, 22050, 22050 / 4, [](int f, int) {
                  return static_cast<int>(8000 * std::sin(f * 0.09));
              }));
    Frame().CommonDialog1().SetFileName(folder.File("tone.wav"));
    Form103& wave = Wave();
    wave.LerFileDad_3();
    ASSERT_TRUE(wave.FileLoaded);
    Form101& s = Spectrum();
    s.Command2_Click();
    s.Picture2_MouseDown(kLeft, 0, 15160, 1300);
    ASSERT_FLOAT_EQ(s.XMark(), 15160);
    s.Picture2_MouseMove(0, 0, 9000, 1000); // the last named key is elsewhere
    wave.Command9_Click();
    EXPECT_TRUE(wave.CompareArmed);
    EXPECT_FALSE(wave.Command9.Enabled());
    ASSERT_TRUE(PumpUntil([&] { return !wave.CompareArmed; }, 3000));
    EXPECT_EQ(Notes().NoteCode(), 64);
    EXPECT_EQ(PianoByte(52), 64);
    EXPECT_EQ(PianoByte(57), 64);
    EXPECT_TRUE(Notes().PianoPlayer().IsPlaying());
    EXPECT_EQ(s.Label3.Caption(), "Mi  (E)");
    EXPECT_FLOAT_EQ(s.Line1.X1(), 15150);
    // Nothing was selected (the whole file played): the note timer stops the note after 1 s.
    EXPECT_EQ(wave.SelTime().Caption(), "");
    EXPECT_EQ(wave.Timer1.Interval(), 1000);
    EXPECT_TRUE(wave.Timer1.Enabled());
    ASSERT_TRUE(PumpUntil([&] { return wave.Command9.Enabled(); }, 2000));
    EXPECT_FALSE(Notes().PianoPlayer().IsPlaying());
    EXPECT_FALSE(wave.Timer1.Enabled());
}
