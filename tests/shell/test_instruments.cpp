// The Instrument menu: which bytes of the instrument note file it writes, and which note file
// and key positions the keyboard uses afterwards.
#include "notes_fixture.h"

#include "notes/note_files.h"

#include <QAction>

namespace {

struct Instrument {
    const char* item;
    int program;
};
constexpr Instrument kInstruments[] = {
    {"mnuVoice", 52},      {"mnuOrgan", 19}, {"mnuCelesta", 8},   {"mnuViolin", 40},
    {"mnuCello", 42},      {"mnuBass", 32},  {"mnuClarinet", 71}, {"mnuBassoon", 70},
    {"mnuFlute", 73},      {"mnuOboe", 68},  {"mnuTrumpet", 56},  {"mnuTrombone", 57},
    {"mnuFrenchHorn", 60}, {"mnuSax", 65},
};

// The instrument file as choosing `program` must leave `before`: the program at the eight
// positions, a zero after each, every other byte untouched.
Bytes Patched(Bytes before, int program) {
    for (int p = kProgramFirst; p <= kProgramLast; p += kProgramStep) {
        before.at(static_cast<std::size_t>(p - 1)) = static_cast<std::uint8_t>(program);
        before.at(static_cast<std::size_t>(p)) = 0;
    }
    return before;
}

} // namespace

using Instruments = NotesTest;

TEST_F(Instruments, LoadOpensBothPlayersOnTheirFilesAndUsesThePiano) {
    EXPECT_EQ(Notes().Instrument(), 1);
    // The players play the user's copies, made from the read-only templates.
    EXPECT_EQ(Notes().PianoPlayer().FileName(), folder.UserPath() + "/Pia_do.mid");
    EXPECT_EQ(Notes().InstrumentPlayer().FileName(), folder.UserPath() + "/Pis_do.mid");
    EXPECT_EQ(ReadFile(folder.UserFile("Pia_do.mid")), ProgramFolder::Asset("Pia_do.mid"));
    EXPECT_EQ(ReadFile(folder.UserFile("Pis_do.mid")), ProgramFolder::Asset("Pis_do.mid"));
    EXPECT_TRUE(Notes().PianoPlayer().IsOpen());
    EXPECT_TRUE(Notes().InstrumentPlayer().IsOpen());
    EXPECT_EQ(Frame().ProgAdd(), folder.Path());
}

TEST_F(Instruments, EveryMenuItemWritesItsProgram) {
    const Bytes shipped = ReadFile(folder.UserFile("Pis_do.mid"));
    for (const Instrument& i : kInstruments) {
        SCOPED_TRACE(i.item);
        Frame().Item(i.item)->trigger();
        EXPECT_EQ(ReadFile(folder.UserFile("Pis_do.mid")), Patched(shipped, i.program));
        EXPECT_FALSE(Frame().Item(i.item)->isCheckable());
        EXPECT_EQ(Notes().Instrument(), 2);
    }
    Frame().Item("mnuPiano")->trigger();
    EXPECT_EQ(Notes().Instrument(), 1);
    EXPECT_FALSE(Frame().Item("mnuPiano")->isCheckable());
}

TEST_F(Instruments, ChoosingAnInstrumentStopsASoundingNote) {
    Form101& spectrum = Spectrum();
    spectrum.Image1_MouseMove(0, 0, 10425, 300);
    spectrum.Image1_MouseDown(2, 0, 10425, 300);
    ASSERT_TRUE(Notes().PianoPlayer().IsPlaying());
    Frame().mnuFlute_Click();
    EXPECT_FALSE(Notes().PianoPlayer().IsOpen());
    EXPECT_FALSE(Notes().InstrumentPlayer().IsOpen());
}
