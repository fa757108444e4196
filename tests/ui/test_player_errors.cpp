// Players that cannot play: closed devices, files the device cannot play, no sound device,
// no SoundFont. None of them crashes, blocks or raises a notification.
#include "base/midi_file.h"
#include "tests/support/disk_engine.h"
#include "ui/mm_control.h"

#include <gtest/gtest.h>

namespace {

void SendEveryCommandButOpen(MMControl& mmc) {
    for (const char* cmd : {"Play", "Pause", "Stop", "Pause", "Close", "Play"}) {
        mmc.SetCommand(cmd);
    }
}

} // namespace

TEST(PlayerErrors, CommandsToAClosedDeviceDoNothing) {
    DiskEngine engine;
    MMControl mmc(engine.Engine());
    int done = 0, updates = 0;
    mmc.Done = [&] { ++done; };
    mmc.StatusUpdate = [&] { ++updates; };
    mmc.SetDeviceType("WaveAudio");
    mmc.SetUpdateInterval(20);
    SendEveryCommandButOpen(mmc);
    PumpFor(150);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(updates, 0);
    EXPECT_EQ(mmc.Error(), 0);
    EXPECT_FALSE(mmc.IsOpen());
    EXPECT_EQ(mmc.Position(), 0);
    const Capture c = engine.Finish();
    EXPECT_FALSE(c.Onset().has_value());
}

TEST(PlayerErrors, UnplayableFilesGiveAnErrorNumberAndNoSound) {
    DiskEngine engine;
    ASSERT_TRUE(engine.WaitForSoundFont());
    const TempDir& dir = engine.Dir();
    WriteFile(dir.File("text.wav"), Bytes{'n', 'o', 't', ' ', 'a', ' ', 'w', 'a', 'v', 'e'});
    WriteFile(dir.File("empty.wav"), Bytes{});
    OneNote note;
    WriteFile(dir.File("note.mid"), WriteOneNoteMidi(note).bytes);
    Bytes cut = WriteOneNoteMidi(note).bytes;
    cut.resize(cut.size() - 6); // the track's length now runs past the end of the file
    WriteFile(dir.File("cut.mid"), cut);
    WriteFile(dir.File("tone.wav"), MakeWave(1, 16, 8000, 800, [](int f, int) { return f; }));

    struct Case {
        const char* type;
        std::string file;
        std::int16_t error;
    };
    const Case cases[] = {
        {"WaveAudio", dir.File("missing.wav"), MMControl::kErrFileNotFound},
        {"WaveAudio", dir.File("text.wav"), MMControl::kErrInvalidFile},
        {"WaveAudio", dir.File("empty.wav"), MMControl::kErrInvalidFile},
        {"WaveAudio", dir.File("note.mid"), MMControl::kErrInvalidFile},
        {"WaveAudio", dir.Path(), MMControl::kErrInvalidFile},
        {"Sequencer", dir.File("missing.mid"), MMControl::kErrFileNotFound},
        {"Sequencer", dir.File("cut.mid"), MMControl::kErrInvalidFile},
        {"Sequencer", dir.File("tone.wav"), MMControl::kErrInvalidFile},
        {"CDAudio", dir.File("tone.wav"), MMControl::kErrInvalidDeviceName},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.type) + " " + k.file);
        MMControl mmc(engine.Engine());
        int done = 0;
        mmc.Done = [&] { ++done; };
        mmc.SetDeviceType(k.type);
        mmc.SetFileName(k.file);
        mmc.SetCommand("Open");
        EXPECT_EQ(mmc.Error(), k.error);
        EXPECT_FALSE(mmc.IsOpen());
        SendEveryCommandButOpen(mmc);
        PumpFor(30);
        EXPECT_EQ(done, 0);
    }
    const Capture c = engine.Finish();
    EXPECT_FALSE(c.Onset().has_value());
}

TEST(PlayerErrors, NoSoundDeviceAndNoSoundFontKeepPlaybackWorking) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    AudioSettings settings;
    settings.soundFont = "/no/such/folder/none.sf2";
    AudioEngine engine(settings);
    const AudioInfo info = engine.Info();
    EXPECT_EQ(info.driver, "dummy");
    EXPECT_GT(info.rate, 0);
    EXPECT_EQ(info.soundFont, SoundFontState::Missing);

    TempDir dir;
    OneNote note;
    WriteFile(dir.File("note.mid"), WriteOneNoteMidi(note).bytes);
    MMControl seq(engine);
    int seqDone = 0;
    seq.Done = [&] { ++seqDone; };
    seq.SetDeviceType("Sequencer");
    seq.SetFileName(dir.File("note.mid"));
    seq.SetCommand("Open");
    EXPECT_EQ(seq.Error(), MMControl::kErrNoMidiPresent);
    EXPECT_FALSE(seq.IsOpen());
    seq.SetCommand("Play");

    // The silent device still keeps real time: a 300 ms file ends after about 300 ms.
    WriteFile(dir.File("short.wav"), MakeWave(1, 16, 22050, 6615, [](int f, int) { return f; }));
    MMControl wave(engine);
    int waveDone = 0;
    wave.Done = [&] { ++waveDone; };
    wave.SetDeviceType("WaveAudio");
    wave.SetFileName(dir.File("short.wav"));
    wave.SetCommand("Open");
    ASSERT_EQ(wave.Error(), 0);
    const auto start = std::chrono::steady_clock::now();
    wave.SetCommand("Play");
    ASSERT_TRUE(PumpUntil([&] { return waveDone > 0; }, 3000));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_GT(ms, 250);
    EXPECT_LT(ms, 600);
    EXPECT_EQ(wave.Position(), 300);
    EXPECT_EQ(seqDone, 0);
    wave.SetCommand("Close");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
}

TEST(PlayerErrors, APlayerOutlivingItsEngineIsClosed) {
    TempDir dir;
    WriteFile(dir.File("a.wav"), MakeWave(1, 16, 8000, 8000, [](int f, int) { return f; }));
    std::optional<AudioEngine> engine(std::in_place);
    MMControl mmc(*engine);
    int done = 0;
    mmc.Done = [&] { ++done; };
    mmc.SetDeviceType("WaveAudio");
    mmc.SetFileName(dir.File("a.wav"));
    mmc.SetCommand("Open");
    mmc.SetCommand("Play");
    engine.reset(); // cuts the player off
    SendEveryCommandButOpen(mmc);
    PumpFor(50);
    EXPECT_EQ(done, 0);
    EXPECT_FALSE(mmc.IsPlaying());
}

TEST(PlayerErrors, AnUnloadableSoundFontGivesTheSequencerAnErrorNumber) {
    TempDir dir;
    WriteFile(dir.File("broken.sf2"), Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0});
    OneNote note;
    WriteFile(dir.File("note.mid"), WriteOneNoteMidi(note).bytes);
    AudioSettings settings;
    settings.soundFont = dir.File("broken.sf2");
    DiskEngine engine(settings);
    EXPECT_FALSE(engine.WaitForSoundFont());
    EXPECT_EQ(engine.Engine().Info().soundFont, SoundFontState::Failed);
    MMControl seq(engine.Engine());
    seq.SetDeviceType("Sequencer");
    seq.SetFileName(dir.File("note.mid"));
    seq.SetCommand("Open");
    EXPECT_EQ(seq.Error(), MMControl::kErrNoMidiPresent);
    EXPECT_FALSE(seq.IsOpen());
}
