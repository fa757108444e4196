// The Instrument menu: which bytes of the instrument note file it writes, and which note file
// and key positions the keyboard uses afterwards.
#include "notes_fixture.h"

#include "shell/note_files.h"

#include <QAction>

#include <filesystem>

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
    Form101& spectrum = TheForm101();
    const NoteState& n = Notes();
    EXPECT_EQ(n.NoteMMC[1], &spectrum.MMControl1);
    EXPECT_EQ(n.NoteMMC[2], &spectrum.MMControl2);
    EXPECT_EQ(n.NoteMMCIndex, 1);
    EXPECT_EQ(n.NotePosOn, 52);
    EXPECT_EQ(n.NotePosOff, 57);
    EXPECT_EQ(spectrum.MMControl1.FileName(), folder.Path() + "/Pia_do.mid");
    EXPECT_EQ(spectrum.MMControl2.FileName(), folder.Path() + "/Pis_do.mid");
    for (const MMControl* p : {&spectrum.MMControl1, &spectrum.MMControl2}) {
        EXPECT_EQ(p->DeviceType(), "Sequencer");
        EXPECT_TRUE(p->Wait());
        EXPECT_TRUE(p->Notify());
        EXPECT_TRUE(p->IsOpen());
        EXPECT_EQ(p->Error(), 0);
    }
    EXPECT_EQ(TheMDIForm1().ProgAdd(), folder.Path());
}

TEST_F(Instruments, ClarinetWritesItsProgramAndNothingElse) {
    const Bytes before = ReadFile(folder.File("Pis_do.mid"));
    TheMDIForm1().Item("mnuClarinet")->trigger();
    const Bytes after = ReadFile(folder.File("Pis_do.mid"));
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t offset : {51u, 58u, 65u, 72u, 79u, 86u, 93u, 100u}) {
        EXPECT_EQ(after[offset], 71) << offset;
        EXPECT_EQ(after[offset + 1], 0) << offset + 1;
    }
    EXPECT_EQ(after, Patched(before, 71));
    EXPECT_EQ(ReadFile(folder.File("Pia_do.mid")), ProgramFolder::Asset("Pia_do.mid"));
    const NoteState& n = Notes();
    EXPECT_EQ(n.NoteMMCIndex, 2);
    EXPECT_EQ(n.NotePosOn, 108);
    EXPECT_EQ(n.NotePosOff, 113);
}

TEST_F(Instruments, EveryMenuItemWritesItsProgram) {
    const Bytes shipped = ReadFile(folder.File("Pis_do.mid"));
    for (const Instrument& i : kInstruments) {
        SCOPED_TRACE(i.item);
        TheMDIForm1().Item(i.item)->trigger();
        EXPECT_EQ(ReadFile(folder.File("Pis_do.mid")), Patched(shipped, i.program));
        EXPECT_FALSE(TheMDIForm1().Item(i.item)->isCheckable());
    }
}

TEST_F(Instruments, TheSameInstrumentTwiceLeavesTheFileAsTheFirstTime) {
    TheMDIForm1().mnuOboe_Click();
    const Bytes once = ReadFile(folder.File("Pis_do.mid"));
    TheMDIForm1().mnuOboe_Click();
    EXPECT_EQ(ReadFile(folder.File("Pis_do.mid")), once);
}

TEST_F(Instruments, PianoSwitchesBackAndWritesNothing) {
    TheMDIForm1().mnuTrumpet_Click();
    const Bytes instrument = ReadFile(folder.File("Pis_do.mid"));
    TheMDIForm1().Item("mnuPiano")->trigger();
    const NoteState& n = Notes();
    EXPECT_EQ(n.NoteMMCIndex, 1);
    EXPECT_EQ(n.NotePosOn, 52);
    EXPECT_EQ(n.NotePosOff, 57);
    EXPECT_EQ(ReadFile(folder.File("Pis_do.mid")), instrument);
    EXPECT_EQ(ReadFile(folder.File("Pia_do.mid")), ProgramFolder::Asset("Pia_do.mid"));
    EXPECT_FALSE(TheMDIForm1().Item("mnuPiano")->isCheckable());
}

TEST_F(Instruments, AMissingInstrumentFileIsCreatedWithTheNumbersOnly) {
    std::remove(folder.File("Pis_do.mid").c_str());
    TheMDIForm1().mnuCello_Click();
    EXPECT_EQ(ReadFile(folder.File("Pis_do.mid")), Patched(Bytes(102, 0), 42));
    EXPECT_EQ(Notes().NotePosOn, 108);
    EXPECT_FALSE(Channel1().IsOpen());
}

TEST_F(Instruments, ChoosingAnInstrumentStopsASoundingNote) {
    Form101& spectrum = TheForm101();
    spectrum.Image1_MouseMove(0, 0, 10425, 300);
    spectrum.Image1_MouseDown(2, 0, 10425, 300);
    ASSERT_TRUE(spectrum.MMControl1.IsPlaying());
    TheMDIForm1().mnuFlute_Click();
    EXPECT_FALSE(spectrum.MMControl1.IsOpen());
    EXPECT_FALSE(spectrum.MMControl2.IsOpen());
}

TEST_F(Instruments, AnUnwritableInstrumentFileEndsQuietly) {
    // A folder in the file's place cannot be opened as a file.
    std::remove(folder.File("Pis_do.mid").c_str());
    ASSERT_TRUE(std::filesystem::create_directory(folder.File("Pis_do.mid")));
    TheMDIForm1().mnuSax_Click();
    EXPECT_FALSE(Channel1().IsOpen());
    EXPECT_EQ(Notes().NoteMMCIndex, 2);
    EXPECT_TRUE(TestServices().messages.shown.empty());
}
