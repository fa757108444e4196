// The Instrument menu: which bytes of the instrument note file it writes, and which note file
// and key positions the keyboard uses afterwards.
#include "notes_fixture.h"

#include "notes/note_files.h"

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
    EXPECT_EQ(Notes().Instrument(), 1);
    // The players play the user's copies, made from the read-only templates.
    EXPECT_EQ(Notes().PianoPlayer().FileName(), folder.UserPath() + "/Pia_do.mid");
    EXPECT_EQ(Notes().InstrumentPlayer().FileName(), folder.UserPath() + "/Pis_do.mid");
    EXPECT_EQ(ReadFile(folder.UserFile("Pia_do.mid")), ProgramFolder::Asset("Pia_do.mid"));
    EXPECT_EQ(ReadFile(folder.UserFile("Pis_do.mid")), ProgramFolder::Asset("Pis_do.mid"));
    for (const MMControl* p : {&Notes().PianoPlayer(), &Notes().InstrumentPlayer()}) {
        EXPECT_EQ(p->DeviceType(), "Sequencer");
        EXPECT_TRUE(p->Wait());
        EXPECT_TRUE(p->Notify());
        EXPECT_TRUE(p->IsOpen());
        EXPECT_EQ(p->Error(), 0);
    }
    EXPECT_EQ(Frame().ProgAdd(), folder.Path());
}

TEST_F(Instruments, ClarinetWritesItsProgramAndNothingElse) {
    const Bytes before = ReadFile(folder.UserFile("Pis_do.mid"));
    Frame().Item("mnuClarinet")->trigger();
    const Bytes after = ReadFile(folder.UserFile("Pis_do.mid"));
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t offset : {51u, 58u, 65u, 72u, 79u, 86u, 93u, 100u}) {
        EXPECT_EQ(after[offset], 71) << offset;
        EXPECT_EQ(after[offset + 1], 0) << offset + 1;
    }
    EXPECT_EQ(after, Patched(before, 71));
    EXPECT_EQ(ReadFile(folder.UserFile("Pia_do.mid")), ProgramFolder::Asset("Pia_do.mid"));
    EXPECT_EQ(Notes().Instrument(), 2);
}

TEST_F(Instruments, EveryMenuItemWritesItsProgram) {
    const Bytes shipped = ReadFile(folder.UserFile("Pis_do.mid"));
    for (const Instrument& i : kInstruments) {
        SCOPED_TRACE(i.item);
        Frame().Item(i.item)->trigger();
        EXPECT_EQ(ReadFile(folder.UserFile("Pis_do.mid")), Patched(shipped, i.program));
        EXPECT_FALSE(Frame().Item(i.item)->isCheckable());
    }
}

TEST_F(Instruments, TheSameInstrumentTwiceLeavesTheFileAsTheFirstTime) {
    Frame().mnuOboe_Click();
    const Bytes once = ReadFile(folder.UserFile("Pis_do.mid"));
    Frame().mnuOboe_Click();
    EXPECT_EQ(ReadFile(folder.UserFile("Pis_do.mid")), once);
}

TEST_F(Instruments, PianoSwitchesBackAndWritesNothing) {
    Frame().mnuTrumpet_Click();
    const Bytes instrument = ReadFile(folder.UserFile("Pis_do.mid"));
    Frame().Item("mnuPiano")->trigger();
    EXPECT_EQ(Notes().Instrument(), 1);
    EXPECT_EQ(ReadFile(folder.UserFile("Pis_do.mid")), instrument);
    EXPECT_EQ(ReadFile(folder.UserFile("Pia_do.mid")), ProgramFolder::Asset("Pia_do.mid"));
    EXPECT_FALSE(Frame().Item("mnuPiano")->isCheckable());
}

// A user's copy that is gone, cut short or no MIDI file any more is made again from the
// read-only template before the program is written into it, and never left half-written.
TEST_F(Instruments, ADamagedInstrumentFileIsRemadeFromItsTemplate) {
    const Bytes shipped = ProgramFolder::Asset("Pis_do.mid");
    const std::pair<const char*, std::function<void()>> damages[] = {
        {"missing", [&] { std::remove(folder.UserFile("Pis_do.mid").c_str()); }},
        {"cut short", [&] { WriteFile(folder.UserFile("Pis_do.mid"), Bytes(60, 0)); }},
        {"not MIDI", [&] { WriteFile(folder.UserFile("Pis_do.mid"), Bytes(shipped.size(), 7)); }},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        damage();
        Frame().mnuCello_Click();
        EXPECT_EQ(ReadFile(folder.UserFile("Pis_do.mid")), Patched(shipped, 42));
        int files = 0;
        for (const auto& e : std::filesystem::directory_iterator(folder.UserPath())) {
            files += e.is_regular_file();
        }
        EXPECT_EQ(files, 2); // the two note files, no temporary left behind
    }
    EXPECT_EQ(ReadFile(folder.File("Pis_do.mid")), shipped); // the template is never written
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

TEST_F(Instruments, AnUnwritableInstrumentFileEndsQuietly) {
    // A folder in the file's place cannot be opened as a file.
    std::remove(folder.UserFile("Pis_do.mid").c_str());
    ASSERT_TRUE(std::filesystem::create_directory(folder.UserFile("Pis_do.mid")));
    Frame().mnuSax_Click();
    EXPECT_EQ(Notes().Instrument(), 2);
    EXPECT_TRUE(TestServices().messages.shown.empty());
}
