// The sequencer device on the General MIDI synthesiser: a one-note file made here sounds its
// key, in its program, for the file's own length.
#include "audio_capture.h"
#include "midi_file.h"
#include "mm_control.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kHalfSecond = 480; // ticks at 480 per quarter, 120 beats a minute

struct NoteCase {
    const char* name;
    int program;
    int channel;
    int key;
};

} // namespace

TEST(Sequencer, SoundsTheKeyOfTheNoteFile) {
    const NoteCase cases[] = {
        {"piano C4", 0, 0, 60},
        {"piano A4", 0, 0, 69},
        {"flute C4", 73, 1, 60},
        {"flute A4", 73, 1, 69},
    };
    for (const NoteCase& n : cases) {
        SCOPED_TRACE(n.name);
        DiskEngine engine;
        ASSERT_TRUE(engine.WaitForSoundFont());
        const int rate = engine.Rate();
        OneNote note;
        note.program = n.program;
        note.channel = n.channel;
        note.key = n.key;
        note.durationTicks = kHalfSecond;
        const std::string file = engine.Dir().File("note.mid");
        WriteFile(file, WriteOneNoteMidi(note).bytes);
        {
            MMControl mmc;
            int done = 0;
            mmc.Done = [&] { ++done; };
            mmc.SetWait(true);
            mmc.SetDeviceType("Sequencer");
            mmc.SetFileName(file);
            mmc.SetCommand("Open");
            ASSERT_EQ(mmc.Error(), 0);
            const auto start = std::chrono::steady_clock::now();
            mmc.SetCommand("Play");
            ASSERT_TRUE(PumpUntil([&] { return done > 0; }, 3000));
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
            // The end comes from the file's length, not the player's late "done" flag.
            EXPECT_EQ(mmc.Position(), 500);
            EXPECT_GT(ms, 400);
            EXPECT_LT(ms, 700);
            PumpFor(100); // let the release ring into the capture
        }
        const Capture c = engine.Finish();
        const auto onset = c.Onset(0.01f);
        ASSERT_TRUE(onset.has_value()) << "the note was not heard";
        const double hz =
            Fundamental(c.LeftChannel(*onset + static_cast<std::size_t>(rate / 20), 8192), rate);
        const double want = MidiKeyHz(n.key);
        EXPECT_NEAR(hz, want, want * 0.01);
    }
}

TEST(Sequencer, StopReleasesTheNoteAndCompletesOnce) {
    DiskEngine engine;
    ASSERT_TRUE(engine.WaitForSoundFont());
    const int rate = engine.Rate();
    OneNote note;
    note.program = 19;            // church organ: sustains until released
    note.durationTicks = 480 * 8; // four seconds
    const std::string file = engine.Dir().File("long.mid");
    WriteFile(file, WriteOneNoteMidi(note).bytes);
    {
        MMControl mmc;
        int done = 0;
        mmc.Done = [&] { ++done; };
        mmc.SetDeviceType("Sequencer");
        mmc.SetFileName(file);
        mmc.SetCommand("Open");
        ASSERT_EQ(mmc.Error(), 0);
        mmc.SetCommand("Play");
        PumpFor(300);
        mmc.SetCommand("Stop");
        EXPECT_EQ(done, 0);
        PumpFor(1000);
        EXPECT_EQ(done, 1);
    }
    const Capture c = engine.Finish();
    const auto onset = c.Onset(0.01f);
    ASSERT_TRUE(onset.has_value());
    // The organ fades within a moment of its release, long before the file's four seconds.
    const double heardMs = (c.End(0.01f) - *onset) * 1000.0 / rate;
    EXPECT_LT(heardMs, 1200);
}
