// Notes as loud as the sounds they are compared with: every instrument of the Instrument menu,
// played at E4 through the program's own path (the menu patches the instrument note file, the
// keyboard writes the key and plays it), starts at one common loudness; and a note sounding
// over a full-scale wave neither clips nor changes the wave where it sounds alone.
#include "tests/support/disk_engine.h"

#include "base/midi_file.h"
#include "shell/program.h"
#include "spectrum/spectrum_view.h"
#include "tests/support/doubles.h"
#include "tests/support/program_folder.h"
#include "ui/mm_control.h"

#include <gtest/gtest.h>

#include <QAction>

#include <cstdio>

namespace {

constexpr std::int16_t kRight = 2;
constexpr float kE4X = 10425 - 150 * 5; // keyboard x of E4 (MIDI 64): A4 at 10425, 150 a key
constexpr float kKeyY = 300;            // the upper part of the keys, where white keys play
constexpr double kWantDbfs = -16.0;
constexpr double kToleranceDb = 4.0;

} // namespace

TEST(NoteLevels, EveryInstrumentStartsAtOneLoudness) {
    const struct {
        const char* item;
        const char* name;
    } instruments[] = {
        {"mnuPiano", "Piano"},       {"mnuVoice", "Voice (Chorus)"},
        {"mnuOrgan", "Organ"},       {"mnuCelesta", "Celesta"},
        {"mnuViolin", "Violin"},     {"mnuCello", "Cello"},
        {"mnuBass", "Bass"},         {"mnuClarinet", "Clarinet"},
        {"mnuBassoon", "Bassoon"},   {"mnuFlute", "Flute"},
        {"mnuOboe", "Oboe"},         {"mnuTrumpet", "Trumpet"},
        {"mnuTrombone", "Trombone"}, {"mnuFrenchHorn", "French Horn"},
        {"mnuSax", "Sax"},
    };
    TestServices().Reset();
    ProgramFolder folder;
    for (const auto& instrument : instruments) {
        SCOPED_TRACE(instrument.name);
        DiskEngine engine; // a capture of its own for each note
        ASSERT_TRUE(engine.WaitForSoundFont());
        const int rate = engine.Rate();
        {
            Program program(TestServices().services, engine.Engine(),
                            {folder.Path(), folder.UserPath()});
            program.Frame().Timer2.SetEnabled(false); // no start-up demonstration
            Form101& spectrum = program.SpectrumView();
            program.Frame().Item(instrument.item)->trigger();
            spectrum.Image1_MouseMove(0, 0, kE4X, kKeyY);
            spectrum.Image1_MouseDown(kRight, 0, kE4X, kKeyY);
            ASSERT_TRUE(engine.PumpDeviceFrames(static_cast<std::size_t>(rate / 2)));
            spectrum.Image1_MouseUp(kRight, 0, kE4X, kKeyY);
            PumpFor(50);
        }
        const Capture c = engine.Finish();
        const auto onset = c.Onset(0.001f);
        ASSERT_TRUE(onset.has_value()) << "the note was not heard";
        const auto window = static_cast<std::size_t>(rate * 3 / 10); // 300 ms
        ASSERT_GE(c.Frames(), *onset + window);
        const double level = c.RmsDbfs(*onset, window);
        std::printf("%-15s %6.2f dBFS RMS over its first 300 ms\n", instrument.name, level);
        EXPECT_NEAR(level, kWantDbfs, kToleranceDb);
    }
    EXPECT_TRUE(TestServices().messages.shown.empty());
}

namespace {

constexpr double kToneHz = 220;

// A sine a hair below full scale, never 0 at frame 0 so its onset is found exactly.
int FullScaleSample(int frame, int rate) {
    return static_cast<int>(std::lround(32767 * std::sin(2 * M_PI * kToneHz * frame / rate + 1)));
}

} // namespace

TEST(NoteLevels, ANoteOverAFullScaleWaveIsLimitedNotClipped) {
    DiskEngine engine;
    ASSERT_TRUE(engine.WaitForSoundFont());
    const int rate = engine.Rate();
    const std::string wave = engine.Dir().File("loud.wav");
    const int waveFrames = 3 * rate;
    WriteFile(wave, MakeWave(1, 16, rate, waveFrames,
                             [rate](int f, int) { return FullScaleSample(f, rate); }));
    OneNote piano;
    piano.key = 64;
    piano.durationTicks = 480; // half a second
    const std::string note = engine.Dir().File("note.mid");
    WriteFile(note, WriteOneNoteMidi(piano).bytes);
    {
        MMControl w(engine.Engine()), n(engine.Engine());
        int waveDone = 0;
        w.Done = [&] { ++waveDone; };
        w.SetDeviceType("WaveAudio");
        w.SetFileName(wave);
        w.SetCommand("Open");
        n.SetDeviceType("Sequencer");
        n.SetFileName(note);
        n.SetCommand("Open");
        ASSERT_EQ(w.Error(), 0);
        ASSERT_EQ(n.Error(), 0);
        w.SetCommand("Play");
        ASSERT_TRUE(engine.PumpDeviceFrames(static_cast<std::size_t>(rate * 3 / 10)));
        n.SetCommand("Play");
        ASSERT_TRUE(PumpUntil([&] { return waveDone > 0; }, 5000));
    }
    const Capture c = engine.Finish();
    const auto onset = c.Onset();
    ASSERT_TRUE(onset.has_value());

    // Alone, the wave is heard sample for sample: up to where the note comes in, and again
    // once the note has faded (by 1.9 s) and the limiter's gain is back at exactly 1.
    std::size_t exact = 0, lastChanged = 0;
    bool changed = false;
    for (std::size_t f = 0; f < static_cast<std::size_t>(waveFrames); ++f) {
        ASSERT_LT(*onset + f, c.Frames());
        const float want = FullScaleSample(static_cast<int>(f), rate) / 32768.0f;
        if (c.Left(*onset + f) != want || c.Right(*onset + f) != want) {
            changed = true;
            lastChanged = f;
        } else if (!changed) {
            exact = f + 1;
        }
    }
    EXPECT_GT(exact, static_cast<std::size_t>(rate / 5)) << "the wave alone was changed";
    EXPECT_LT(exact, static_cast<std::size_t>(rate / 2)) << "the note was not mixed in";
    EXPECT_LT(lastChanged, static_cast<std::size_t>(waveFrames - rate / 2))
        << "the wave stays changed after the note";

    // Together they stay within full scale, by a gain that rides the peaks. A mix cut at full
    // scale sits flat there for dozens of frames in a row (36 measured); a limited one reaches
    // it only at the crest of a peak, a frame or two.
    float peak = 0;
    std::size_t run = 0, longestRun = 0;
    for (std::size_t f = 0; f < c.Frames(); ++f) {
        const float s = std::max(std::fabs(c.Left(f)), std::fabs(c.Right(f)));
        peak = std::max(peak, s);
        run = s >= 1.0f ? run + 1 : 0;
        longestRun = std::max(longestRun, run);
    }
    std::printf("mixed peak %.6f (full scale 1), longest run at full scale %zu frames; the wave "
                "alone exact for its first %zu frames and after frame %zu of %d\n",
                peak, longestRun, exact, lastChanged, waveFrames);
    EXPECT_LE(peak, 1.0f);
    EXPECT_GE(peak, 0.99f) << "the limiter holds the mix at full scale, not far below";
    EXPECT_LE(longestRun, 4u);
}
