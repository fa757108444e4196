// The note player on fake sequencers: which file each device plays, which bytes a press and an
// instrument write into the user's copies, and how a damaged copy is made again.
#include "notes/note_files.h"
#include "notes/note_player.h"
#include "tests/support/fixtures.h"
#include "tests/support/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <utility>

namespace {

// A device that only remembers what it was told.
class FakeSequencer : public Sequencer {
  public:
    void Open(const std::string& file) override {
        file_ = file;
        open_ = true;
        playing_ = false;
    }
    void Close() override { open_ = playing_ = false; }
    void Play() override { playing_ = open_; }
    void Stop() override { playing_ = false; }
    bool IsOpen() const override { return open_; }
    bool IsPlaying() const override { return playing_; }
    std::string FileName() const override { return file_; }

  private:
    std::string file_;
    bool open_ = false;
    bool playing_ = false;
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

class NotePlayerTest : public ::testing::Test {
  protected:
    NotePlayerTest() {
        auto p = std::make_unique<FakeSequencer>();
        auto i = std::make_unique<FakeSequencer>();
        piano = p.get();
        instrument = i.get();
        notes = std::make_unique<NotePlayer>(std::move(p), std::move(i), folder.Path(),
                                             folder.UserPath());
        notes->Open();
    }
    Bytes User(const char* file) const { return ReadFile(folder.UserFile(file)); }

    ProgramFolder folder;
    FakeSequencer* piano;
    FakeSequencer* instrument;
    std::unique_ptr<NotePlayer> notes;
};

} // namespace

TEST_F(NotePlayerTest, OpenPlaysTheUsersCopiesWithThePianoInUse) {
    EXPECT_EQ(notes->Instrument(), 1);
    EXPECT_TRUE(piano->IsOpen());
    EXPECT_TRUE(instrument->IsOpen());
    EXPECT_EQ(piano->FileName(), folder.UserFile("Pia_do.mid"));
    EXPECT_EQ(instrument->FileName(), folder.UserFile("Pis_do.mid"));
    EXPECT_EQ(User("Pia_do.mid"), ProgramFolder::Asset("Pia_do.mid"));
    EXPECT_EQ(User("Pis_do.mid"), ProgramFolder::Asset("Pis_do.mid"));
}

TEST_F(NotePlayerTest, APressWritesTheKeyIntoTheFileInUseAndPlaysIt) {
    const struct {
        std::int16_t program; // 0: the piano
        const char* file;
        std::int16_t keyOn, keyOff;
    } cases[] = {
        {0, "Pia_do.mid", kPianoKeyOn, kPianoKeyOff},
        {71, "Pis_do.mid", kInstrumentKeyOn, kInstrumentKeyOff},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.program) {
            notes->UseInstrument(c.program);
        } else {
            notes->UsePiano();
        }
        FakeSequencer* inUse = c.program ? instrument : piano;
        FakeSequencer* other = c.program ? piano : instrument;
        notes->SetNoteCode(64);
        notes->Press();
        const Bytes after = User(c.file);
        EXPECT_EQ(after.at(static_cast<std::size_t>(c.keyOn - 1)), 64);
        EXPECT_EQ(after.at(static_cast<std::size_t>(c.keyOff - 1)), 64);
        EXPECT_EQ(notes->NoteFile(), folder.UserFile(c.file));
        EXPECT_TRUE(inUse->IsPlaying());
        EXPECT_FALSE(other->IsPlaying());
        notes->Release();
        EXPECT_FALSE(inUse->IsPlaying());
    }
}

TEST_F(NotePlayerTest, AnInstrumentWritesItsProgramOnlyAndThePianoWritesNothing) {
    const Bytes shipped = User("Pis_do.mid");
    notes->UseInstrument(71);
    EXPECT_EQ(User("Pis_do.mid"), Patched(shipped, 71));
    EXPECT_EQ(notes->Instrument(), 2);
    EXPECT_FALSE(piano->IsOpen()) << "choosing an instrument stops a sounding note";
    EXPECT_FALSE(instrument->IsOpen());

    notes->UseInstrument(71); // the same one again changes nothing
    EXPECT_EQ(User("Pis_do.mid"), Patched(shipped, 71));

    notes->UsePiano();
    EXPECT_EQ(notes->Instrument(), 1);
    EXPECT_EQ(User("Pis_do.mid"), Patched(shipped, 71));
    EXPECT_EQ(User("Pia_do.mid"), ProgramFolder::Asset("Pia_do.mid"));
}

// A user's copy that is gone, cut short or no MIDI file any more is made again from the
// read-only template before it is written, and never left half-written.
TEST_F(NotePlayerTest, ADamagedCopyIsRemadeFromItsTemplate) {
    const Bytes shipped = ProgramFolder::Asset("Pis_do.mid");
    const std::string copy = folder.UserFile("Pis_do.mid");
    const std::pair<const char*, std::function<void()>> damages[] = {
        {"missing", [&] { std::filesystem::remove(copy); }},
        {"cut short", [&] { WriteFile(copy, Bytes(60, 0)); }},
        {"not MIDI", [&] { WriteFile(copy, Bytes(shipped.size(), 7)); }},
    };
    for (const auto& [what, damage] : damages) {
        SCOPED_TRACE(what);
        damage();
        notes->UseInstrument(42);
        EXPECT_EQ(User("Pis_do.mid"), Patched(shipped, 42));
        int files = 0;
        for (const auto& e : std::filesystem::directory_iterator(folder.UserPath())) {
            files += e.is_regular_file();
        }
        EXPECT_EQ(files, 2); // the two note files, no temporary left behind
    }
    EXPECT_EQ(ReadFile(folder.File("Pis_do.mid")), shipped); // the template is never written
}

TEST_F(NotePlayerTest, ACopyThatCannotBeWrittenIsPlayedFromAPrivateCopyAndSaidOnce) {
    std::vector<std::string> notices;
    notes->SetNotice([&](const std::string& text) { notices.push_back(text); });
    // A folder in the file's place cannot be opened as a file, nor replaced by one.
    std::filesystem::remove(folder.UserFile("Pis_do.mid"));
    ASSERT_TRUE(std::filesystem::create_directories(folder.UserFile("Pis_do.mid") + "/x"));
    notes->UseInstrument(65);
    EXPECT_EQ(notes->Instrument(), 2);
    notes->SetNoteCode(64);
    notes->Press();
    ASSERT_TRUE(instrument->IsPlaying());
    // Never a file with another key or instrument: the private copy holds what was asked.
    const Bytes played = ReadFile(notes->NoteFile());
    EXPECT_EQ(notes->NoteFile(), instrument->FileName());
    EXPECT_NE(notes->NoteFile(), folder.UserFile("Pis_do.mid"));
    Bytes wanted = Patched(ProgramFolder::Asset("Pis_do.mid"), 65);
    wanted.at(kInstrumentKeyOn - 1) = wanted.at(kInstrumentKeyOff - 1) = 64;
    EXPECT_EQ(played, wanted);
    notes->Press();
    ASSERT_EQ(notices.size(), 1u) << "said once";
    EXPECT_NE(notices[0].find("the instrument choice will not be kept"), std::string::npos);
    EXPECT_NE(notices[0].find("Is a directory"), std::string::npos) << notices[0];
    // The private copies go with the player.
    const std::string privateCopy = notes->NoteFile();
    notes.reset();
    EXPECT_FALSE(std::filesystem::exists(privateCopy));
}
