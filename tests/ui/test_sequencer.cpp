// The sequencer device on the General MIDI synthesiser: a one-note file made here sounds its
// key, in its program, for the file's own length.
#include "base/midi_file.h"
#include "tests/support/disk_engine.h"
#include "ui/mm_control.h"

#include <gtest/gtest.h>

#include <map>

namespace {

constexpr std::uint32_t kHalfSecond = 480; // ticks at 480 per quarter, 120 beats a minute

struct NoteCase {
    const char* name;
    int program;
    int channel;
    int key;
};

// Relative strengths of the first six harmonics (Goertzel at each multiple of f0), summing to 1.
std::vector<double> HarmonicProfile(const std::vector<float>& x, int rate, double f0) {
    std::vector<double> out;
    double total = 0;
    for (int h = 1; h <= 6; ++h) {
        const double w = 2 * M_PI * h * f0 / rate;
        double s1 = 0, s2 = 0;
        for (float v : x) {
            const double s0 = v + 2 * std::cos(w) * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2;
        out.push_back(std::sqrt(std::max(power, 0.0)));
        total += out.back();
    }
    for (double& v : out) {
        v /= total > 0 ? total : 1;
    }
    return out;
}

} // namespace

TEST(Sequencer, SoundsTheKeyOfTheNoteFile) {
    const NoteCase cases[] = {
        {"piano C4", 0, 0, 60},
        {"piano A4", 0, 0, 69},
        {"flute C4", 73, 1, 60},
        {"flute A4", 73, 1, 69},
    };
    std::map<int, std::vector<std::vector<double>>> profiles; // program -> one per key
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
            MMControl mmc(engine.Engine());
            int done = 0;
            mmc.Done = [&] { ++done; };
            mmc.SetWait(true);
            mmc.SetDeviceType("Sequencer");
            mmc.SetFileName(file);
            mmc.SetCommand("Open");
            ASSERT_EQ(mmc.Error(), 0);
            // Timed in the device's frames: a busy machine stretches the wall clock.
            const std::size_t start = engine.FramesHanded();
            mmc.SetCommand("Play");
            ASSERT_TRUE(PumpUntil([&] { return done > 0; }, 3000));
            const double ms = static_cast<double>(engine.FramesHanded() - start) * 1000.0 / rate;
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
        profiles[n.program].push_back(HarmonicProfile(
            c.LeftChannel(*onset + static_cast<std::size_t>(rate / 20), 8192), rate, want));
    }
    // The program change took effect: the same key has another timbre in the other program.
    for (std::size_t k = 0; k < 2; ++k) {
        double difference = 0;
        for (std::size_t h = 0; h < profiles[0][k].size(); ++h) {
            difference += std::fabs(profiles[0][k][h] - profiles[73][k][h]);
        }
        // About 0.25 for piano against flute; 0 for one program twice.
        EXPECT_GT(difference, 0.1) << "key case " << k;
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
        MMControl mmc(engine.Engine());
        int done = 0;
        mmc.Done = [&] { ++done; };
        mmc.SetDeviceType("Sequencer");
        mmc.SetFileName(file);
        mmc.SetCommand("Open");
        ASSERT_EQ(mmc.Error(), 0);
        mmc.SetCommand("Play");
        ASSERT_TRUE(engine.PumpDeviceFrames(static_cast<std::size_t>(rate * 3 / 10)));
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
