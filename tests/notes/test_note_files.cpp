// The two shipped note files: what their generator writes, where their rewritable bytes lie,
// and that every file the program can make of them by patching is still a playable file.
#include "base/midi_file.h"
#include "notes/note_files.h"
#include "tests/support/fixtures.h"
#include "tests/support/program_folder.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The programs the Instrument menu writes.
constexpr int kMenuPrograms[] = {52, 19, 8, 40, 42, 32, 71, 70, 73, 68, 56, 57, 60, 65};
constexpr double kNoteSeconds = 4.0;

std::uint8_t At(const Bytes& b, int position) {
    return b.at(static_cast<std::size_t>(position - 1));
}
void Put(Bytes& b, int position, std::uint8_t v) {
    b.at(static_cast<std::size_t>(position - 1)) = v;
}

} // namespace

TEST(NoteFiles, GeneratorReproducesTheCommittedFiles) {
    const char* tools = std::getenv("TONVEXA_TOOLS");
    ASSERT_NE(tools, nullptr);
    TempDir out;
    ASSERT_EQ(QProcess::execute(QString::fromLocal8Bit(tools) + "/make_note_files",
                                {QString::fromStdString(out.Path())}),
              0);
    for (const char* name : {"Pia_do.mid", "Pis_do.mid"}) {
        SCOPED_TRACE(name);
        const Bytes committed = ProgramFolder::Asset(name);
        ASSERT_FALSE(committed.empty());
        EXPECT_EQ(ReadFile(out.File(name)), committed) << "regenerate assets/" << name;
    }
}

TEST(NoteFiles, RewritableBytesLieWhereTheProgramWritesThem) {
    const Bytes piano = ProgramFolder::Asset("Pia_do.mid");
    const Bytes instrument = ProgramFolder::Asset("Pis_do.mid");
    ASSERT_FALSE(piano.empty());
    ASSERT_FALSE(instrument.empty());

    // Piano: a note on (0x90) and a note off (0x80) of channel 0 whose keys sit at 52 and 57.
    EXPECT_EQ(At(piano, kPianoKeyOn - 1), 0x90 | kPianoChannel);
    EXPECT_EQ(At(piano, kPianoKeyOff - 1), 0x80 | kPianoChannel);
    EXPECT_EQ(At(piano, kPianoKeyOn), At(piano, kPianoKeyOff));
    EXPECT_EQ(At(piano, kPianoKeyOn - 3), 0); // its program as shipped: Acoustic Grand Piano
    EXPECT_EQ(At(piano, kPianoKeyOn - 4), 0xC0 | kPianoChannel);

    // Instrument: eight program changes of channel 1, each followed by a zero delta time.
    int programs = 0;
    for (int p = kProgramFirst; p <= kProgramLast; p += kProgramStep, ++programs) {
        SCOPED_TRACE(p);
        EXPECT_EQ(At(instrument, p - 1), 0xC0 | kInstrumentChannel);
        EXPECT_EQ(At(instrument, p + 1), 0);
        EXPECT_EQ(At(instrument, p), At(instrument, kProgramFirst));
    }
    EXPECT_EQ(programs, kProgramCount);
    EXPECT_EQ(At(instrument, kInstrumentKeyOn - 1), 0x90 | kInstrumentChannel);
    EXPECT_EQ(At(instrument, kInstrumentKeyOff - 1), 0x80 | kInstrumentChannel);
    EXPECT_EQ(At(instrument, kInstrumentKeyOn), At(instrument, kInstrumentKeyOff));

    // Each file's notes run on its own channel only.
    const auto pianoInfo = ReadMidiFileInfo(piano);
    const auto instrumentInfo = ReadMidiFileInfo(instrument);
    ASSERT_TRUE(pianoInfo && instrumentInfo);
    EXPECT_EQ(pianoInfo->channelMask, 1u << kPianoChannel);
    EXPECT_EQ(instrumentInfo->channelMask, 1u << kInstrumentChannel);
    EXPECT_NE(kPianoChannel, kInstrumentChannel);
}

TEST(NoteFiles, EveryPatchedVariantStaysAPlayableFile) {
    const Bytes piano = ProgramFolder::Asset("Pia_do.mid");
    const Bytes instrument = ProgramFolder::Asset("Pis_do.mid");
    int checked = 0;
    for (int key = 0; key <= 127; ++key) {
        Bytes p = piano;
        Put(p, kPianoKeyOn, static_cast<std::uint8_t>(key));
        Put(p, kPianoKeyOff, static_cast<std::uint8_t>(key));
        const auto info = ReadMidiFileInfo(p);
        ASSERT_TRUE(info) << "piano key " << key;
        EXPECT_DOUBLE_EQ(info->seconds, kNoteSeconds);
        ++checked;
        for (int program : kMenuPrograms) {
            Bytes i = instrument;
            for (int at = kProgramFirst; at <= kProgramLast; at += kProgramStep) {
                // A 16-bit little-endian write: the program, then its high byte 0.
                Put(i, at, static_cast<std::uint8_t>(program));
                Put(i, at + 1, 0);
            }
            Put(i, kInstrumentKeyOn, static_cast<std::uint8_t>(key));
            Put(i, kInstrumentKeyOff, static_cast<std::uint8_t>(key));
            const auto iinfo = ReadMidiFileInfo(i);
            ASSERT_TRUE(iinfo) << "program " << program << " key " << key;
            EXPECT_DOUBLE_EQ(iinfo->seconds, kNoteSeconds);
            EXPECT_EQ(iinfo->channelMask, 1u << kInstrumentChannel);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 128 * 15);
}
