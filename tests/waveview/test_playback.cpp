// Playback in the waveform view on the silent real-time driver: the buttons, the cursor that
// follows the player, cyclic play, and the return to rest when a play ends or cannot start.
#include "playback_fixture.h"
#include "waveview/playback_rules.h"

#include "audio/audio_backend.h"
#include "base/file_channel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr int kRate = 8000;
constexpr int kFrames = 16000; // 2 s: 4.99 twips per ms on the 9980-twip graph

int Tone(int frame, int) {
    return static_cast<int>(12000 * std::sin(frame * 0.05));
}

const std::vector<bool> kNoCursor{false, false, false, false};
const std::vector<bool> kOnGraphs{true, true, false, false};
const std::vector<bool> kOnCopies{false, false, true, true};

// A wave file whose reads fail, as a failing disk's do, once `good` frames have been decoded.
class FailingSoundFile : public SoundFile {
  public:
    FailingSoundFile(std::unique_ptr<SoundFile> file, std::int64_t good)
        : file_(std::move(file)), left_(good) {}
    int Rate() const override { return file_->Rate(); }
    int Channels() const override { return file_->Channels(); }
    std::int64_t Frames() const override { return file_->Frames(); }
    bool Seek(std::int64_t frame) override { return file_->Seek(frame); }
    std::int64_t Read(float* frames, std::int64_t count) override {
        const std::int64_t got = left_ > 0 ? file_->Read(frames, std::min(count, left_)) : 0;
        left_ -= got;
        failed_ = got < count;
        return got;
    }
    std::string ReadFailure() const override { return failed_ ? "Input/output error" : ""; }

  private:
    std::unique_ptr<SoundFile> file_;
    std::int64_t left_;
    bool failed_ = false;
};

// The system's audio with a decoder that fails after `good` frames of every file.
class FailingDecoder : public AudioBackend {
  public:
    explicit FailingDecoder(std::int64_t good) : good_(good) {}
    std::unique_ptr<OutputDevice> OpenOutputDevice(int rate, int bufferFrames,
                                                   RenderFunction render, void* user,
                                                   std::string& error) override {
        return system_->OpenOutputDevice(rate, bufferFrames, render, user, error);
    }
    std::string DefaultOutputName() override { return system_->DefaultOutputName(); }
    std::unique_ptr<SoundFile> OpenSoundFile(const std::string& path,
                                             SoundFileError& error) override {
        std::unique_ptr<SoundFile> file = system_->OpenSoundFile(path, error);
        return file ? std::make_unique<FailingSoundFile>(std::move(file), good_) : nullptr;
    }
    std::unique_ptr<Resampler> MakeResampler(int channels, int fromRate, int toRate) override {
        return system_->MakeResampler(channels, fromRate, toRate);
    }
    std::unique_ptr<MidiSynth> MakeMidiSynth(double rate, const std::string& soundFont,
                                             const std::atomic<bool>& cancel,
                                             std::string& error) override {
        return system_->MakeMidiSynth(rate, soundFont, cancel, error);
    }

  private:
    std::unique_ptr<AudioBackend> system_ = MakeSystemAudioBackend();
    std::int64_t good_;
};

} // namespace

TEST(PlaybackRules, CursorXIsTheFloorOfTheTwipsPastTheViewStart) {
    struct Case {
        std::int32_t positionMs, viewIniMs;
        double twipsPerMs;
        std::int16_t x;
    };
    for (const Case& c : {Case{1, 0, 2.5, 2}, Case{3, 0, 2.5, 7}, Case{1003, 1000, 2.5, 7},
                          Case{999, 1000, 2.5, -3}, Case{13106, 0, 2.5, 32765}}) {
        EXPECT_EQ(CursorXFor(c.positionMs, c.viewIniMs, c.twipsPerMs), c.x)
            << c.positionMs << " ms from " << c.viewIniMs;
    }
    EXPECT_DOUBLE_EQ(TwipsPerMsFor(9980, 2), 4.99);
    EXPECT_THROW(CursorXFor(13108, 0, 2.5), num::NumberError);
    EXPECT_THROW(CursorXFor(10, 0, TwipsPerMsFor(9980, 0)), num::NumberError);
}

TEST(PlaybackRules, CursorLinesFollowTheRangeAndTheSelectionWindow) {
    EXPECT_EQ(CursorLinesFor(500, 0), CursorLines::None);
    EXPECT_EQ(CursorLinesFor(500, 6000), CursorLines::None);
    EXPECT_EQ(CursorLinesFor(501, 0), CursorLines::Graphs);
    EXPECT_EQ(CursorLinesFor(501, 100), CursorLines::Graphs);
    EXPECT_EQ(CursorLinesFor(501, 101), CursorLines::Copies);
}

using Playback = PlaybackTest;

TEST_F(Playback, LoadPreparesTheWavePlayerAndUnloadClosesIt) {
    Form103& f = Load(1, 16, kRate, kFrames, Tone);
    EXPECT_EQ(f.MMControl1.DeviceType(), "WaveAudio");
    EXPECT_EQ(f.MMControl1.TimeFormat(), 0);
    f.Command1.Press();
    EXPECT_TRUE(f.MMControl1.IsPlaying());
    EXPECT_EQ(f.MMControl1.FileName(), shell.dialog.FileName());
    f.Form_Unload();
    EXPECT_FALSE(f.MMControl1.IsOpen());
    EXPECT_FALSE(channel1.IsOpen());
}

TEST_F(Playback, TheCursorShowsForRangesAbove500MsOnTheLinesTheWindowAsksFor) {
    struct Case {
        std::int32_t rangeMs;
        double windowWidth;
        std::vector<bool> shown;
    };
    for (const Case& c :
         {Case{500, 0, kNoCursor}, Case{501, 0, kOnGraphs}, Case{501, 100, kOnGraphs},
          Case{501, 101, kOnCopies}, Case{500, 5000, kNoCursor}, Case{1200, 5000, kOnCopies}}) {
        Form103& f = Load(1, 16, kRate, kFrames, Tone);
        f.SelIniMs = 300;
        f.SelEndMs = 300 + c.rangeMs;
        f.Picture3.SetWidth(c.windowWidth);
        f.Command1.Press();
        EXPECT_EQ(Cursors(f), c.shown) << c.rangeMs << " ms, window " << c.windowWidth;
        EXPECT_FALSE(f.PlayIdle);
        EXPECT_FALSE(f.Command1.Enabled());
        EXPECT_FALSE(f.Command4.Enabled());
        f.Command3.Press();
        ASSERT_TRUE(WaitForRest(f));
        EXPECT_EQ(Cursors(f), kNoCursor);
    }
}

TEST_F(Playback, TheCursorRunsFromTheRangeStartWithThePosition) {
    Form103& f = LoadCounted(2, 16, kRate, kFrames, Tone);
    Select(f, 2000, 8000);
    ASSERT_TRUE(f.Picture3.Visible());
    // Zoomed on the selection, then a narrower selection inside it: x counts from the view's
    // first millisecond.
    f.Command6.Press();
    Select(f, 1000, 9000);
    const std::int32_t viewIniMs = Whole(f.ViewIniMs());
    ASSERT_GT(viewIniMs, 0);
    const double twipsPerMs =
        f.Picture2.ScaleWidth() / (num::ParseNumber(f.ViewSecs().Caption()) * 1000);
    const auto xAt = [&](std::int32_t ms) {
        return static_cast<int>(std::floor((ms - viewIniMs) * twipsPerMs));
    };

    struct Update {
        std::int32_t fromMs, toMs; // the position just before and just after the update
        double x;                  // Line3's x
    };
    std::vector<Update> seen;
    auto update = f.MMControl1.StatusUpdate;
    f.MMControl1.StatusUpdate = [&] {
        const std::int32_t before = f.MMControl1.Position();
        update();
        seen.push_back({before, f.MMControl1.Position(), f.Line3.X1()});
    };
    f.Command1.Press();
    EXPECT_EQ(f.CursorX, xAt(f.SelIniMs));
    EXPECT_NEAR(f.CursorX, 1000, twipsPerMs + 1);
    EXPECT_EQ(Cursors(f), kOnCopies);
    // Both ends of every line at the cursor's x, the line spanning its picture.
    for (auto [line, picture] : {std::pair{&f.Line1, &f.Picture2},
                                 {&f.Line2, &f.Picture5},
                                 {&f.Line3, &f.Picture4},
                                 {&f.Line4, &f.Picture7}}) {
        EXPECT_EQ(line->X1(), f.CursorX);
        EXPECT_EQ(line->X2(), f.CursorX);
        EXPECT_EQ(line->Y1(), 0);
        EXPECT_EQ(line->Y2(), picture->ScaleHeight());
    }
    ASSERT_TRUE(WaitForRest(f));
    EXPECT_EQ(completions, 1);
    ASSERT_GE(seen.size(), 3u);
    for (const Update& u : seen) {
        EXPECT_GE(u.x, xAt(u.fromMs)) << u.fromMs << " ms";
        EXPECT_LE(u.x, xAt(u.toMs)) << u.toMs << " ms";
        EXPECT_GE(u.x, f.CursorX);
        EXPECT_LE(u.x, xAt(f.SelEndMs));
    }
    EXPECT_GT(seen.back().x, seen.front().x);
}

TEST_F(Playback, AFinishedPlayReturnsToRestAndRunsTheArmedComparison) {
    Form103& f = LoadCounted(1, 8, kRate, kFrames, [](int i, int) { return 128 + i % 50; });
    f.SelIniMs = 100;
    f.SelEndMs = 700;
    f.CompareArmed = true;
    f.Command1.Press();
    EXPECT_TRUE(f.MMControl1.IsPlaying());
    EXPECT_EQ(Cursors(f), kOnGraphs);
    EXPECT_TRUE(f.Command2.Enabled());
    EXPECT_TRUE(f.Command3.Enabled());
    ASSERT_TRUE(WaitForRest(f));
    EXPECT_EQ(completions, 1);
    EXPECT_FALSE(f.MMControl1.IsOpen());
    EXPECT_EQ(f.MMControl1.UpdateInterval(), 0);
    EXPECT_EQ(Cursors(f), kNoCursor);
    EXPECT_TRUE(f.Command1.Enabled());
    EXPECT_TRUE(f.Command4.Enabled());
    EXPECT_FALSE(f.CompareArmed);
}

TEST_F(Playback, StopEndsCyclicPlayWithOneCompletionOnThePlayOncePath) {
    Form103& f = LoadCounted(1, 16, kRate, kFrames, Tone);
    f.SelIniMs = 400;
    f.SelEndMs = 1000;
    f.CompareArmed = true;
    std::vector<double> restartX; // Line1's x right after each completion
    auto done = f.MMControl1.Done;
    f.MMControl1.Done = [&] {
        done();
        restartX.push_back(f.Line1.X1());
    };
    f.Command4.Press();
    EXPECT_EQ(f.PlayMode, 1);
    const std::int16_t cursorX = f.CursorX;
    ASSERT_TRUE(PumpUntil([&] { return completions == 2; }, 4000));
    // Two passes ended and a third one plays, from the first pass's cursor.
    EXPECT_TRUE(f.MMControl1.IsPlaying());
    EXPECT_FALSE(f.PlayIdle);
    EXPECT_EQ(f.CursorX, cursorX);
    EXPECT_EQ(restartX, std::vector<double>(2, cursorX));
    EXPECT_EQ(Cursors(f), kOnGraphs);
    EXPECT_TRUE(f.CompareArmed) << "cyclic passes do not compare";
    EXPECT_FALSE(f.Command1.Enabled());

    f.Command3.Press();
    EXPECT_EQ(f.PlayMode, 0);
    EXPECT_TRUE(f.Command1.Enabled());
    EXPECT_TRUE(f.Command4.Enabled());
    EXPECT_FALSE(f.PlayIdle) << "the completion returns the view to rest";
    ASSERT_TRUE(WaitForRest(f, 1000));
    PumpFor(800);
    EXPECT_EQ(completions, 3);
    EXPECT_FALSE(f.MMControl1.IsOpen());
    EXPECT_EQ(Cursors(f), kNoCursor);
    EXPECT_FALSE(f.CompareArmed);
}

TEST_F(Playback, EveryButtonGivesTheFocusToTheGraphAndDoesNothingElseWithoutAFile) {
    Form103& f = ViewWindow();
    CountCompletions(f);
    f.Show();
    QApplication::setActiveWindow(f.Widget());
    QApplication::processEvents();
    for (CommandButton* b : {&f.Command1, &f.Command2, &f.Command3, &f.Command4}) {
        b->SetFocus();
        ASSERT_TRUE(b->HasFocus());
        b->Press();
        EXPECT_TRUE(f.Picture2.Client()->hasFocus()) << b->Caption();
        EXPECT_FALSE(f.MMControl1.IsOpen()) << b->Caption();
        EXPECT_TRUE(f.PlayIdle);
        EXPECT_EQ(f.PlayMode, 0);
        EXPECT_TRUE(f.Command1.Enabled());
        EXPECT_TRUE(f.Command4.Enabled());
    }
    PumpFor(100);
    EXPECT_EQ(completions, 0);

    Load(1, 16, kRate, kFrames, Tone);
    for (CommandButton* b : {&f.Command4, &f.Command2, &f.Command3}) {
        b->SetFocus();
        b->Press();
        EXPECT_TRUE(f.Picture2.Client()->hasFocus()) << b->Caption();
    }
}

TEST_F(Playback, AFileThePlayerCannotOpenPrintsItsNumberAndLeavesTheViewAtRest) {
    Form103& f = LoadCounted(1, 16, kRate, kFrames, Tone);
    Select(f, 2000, 8000);
    const std::string path = shell.dialog.FileName();
    const Bytes wave = ReadFile(path);
    ASSERT_EQ(std::remove(path.c_str()), 0);

    f.Command1.Press();
    EXPECT_TRUE(f.PlayIdle);
    EXPECT_EQ(f.PlayMode, 0);
    EXPECT_FALSE(f.MMControl1.IsOpen());
    EXPECT_TRUE(f.Command1.Enabled());
    EXPECT_TRUE(f.Command4.Enabled());
    EXPECT_EQ(Cursors(f), kNoCursor);
    // The error number, and only that, on the view's surface at its print position.
    const QImage printed = f.Surface().Image().copy();
    f.Surface().Cls();
    f.Surface().Print(std::to_string(MMControl::kErrFileNotFound));
    EXPECT_EQ(printed, f.Surface().Image());

    // The view does not refuse: a new selection is taken, and the file plays once it is back.
    const std::string before = f.SelIniPoint().Caption();
    Select(f, 4000, 9000);
    EXPECT_NE(f.SelIniPoint().Caption(), before);
    WriteFile(path, wave);
    f.Command1.Press();
    EXPECT_TRUE(f.MMControl1.IsPlaying());
    EXPECT_FALSE(f.PlayIdle);
    f.Command3.Press();
    ASSERT_TRUE(WaitForRest(f));
    EXPECT_EQ(completions, 1);
}

TEST_F(Playback, AFileThatFailsWhilePlayingPrintsTheNumberAndTheStatusLineSaysWhy) {
    // Half a second of the file decodes, then every read fails.
    AudioSettings settings;
    settings.backend = std::make_shared<FailingDecoder>(kRate / 2);
    ownAudio = std::make_unique<AudioEngine>(settings);
    audio = ownAudio.get();
    for (const bool cyclic : {false, true}) {
        SCOPED_TRACE(cyclic ? "Play Cyclic" : "Play");
        Form103& f = LoadCounted(1, 16, kRate, kFrames, Tone);
        f.Surface().Cls();
        (cyclic ? f.Command4 : f.Command1).Press();
        ASSERT_TRUE(f.MMControl1.IsPlaying());
        ASSERT_TRUE(WaitForRest(f));
        EXPECT_EQ(completions, 1) << "the play ends once, and a cyclic one is not played again";
        EXPECT_EQ(f.PlayMode, 0);
        EXPECT_FALSE(f.MMControl1.IsOpen());
        EXPECT_TRUE(f.Command1.Enabled());
        EXPECT_EQ(Cursors(f), kNoCursor);
        EXPECT_EQ(shell.StatusText(), "Playback stopped: cannot read view.wav: Input/output error");
        // The error number, and only that, on the view's surface at its print position.
        const QImage printed = f.Surface().Image().copy();
        f.Surface().Cls();
        f.Surface().Print(std::to_string(MMControl::kErrFileRead));
        EXPECT_EQ(printed, f.Surface().Image());
        EXPECT_TRUE(TestServices().messages.shown.empty());
        view.reset();
        completions = 0;
        shell.status.clear();
    }
}

TEST_F(Playback, AFurtherCyclicPassThatCannotOpenReturnsToRest) {
    Form103& f = LoadCounted(1, 16, kRate, kFrames, Tone);
    f.SelIniMs = 0;
    f.SelEndMs = 300;
    const std::string path = shell.dialog.FileName();
    const Bytes wave = ReadFile(path);
    f.Command4.Press();
    ASSERT_TRUE(f.MMControl1.IsPlaying());
    ASSERT_EQ(std::remove(path.c_str()), 0);
    ASSERT_TRUE(WaitForRest(f));
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(f.PlayMode, 0);
    EXPECT_FALSE(f.MMControl1.IsOpen());
    EXPECT_TRUE(f.Command1.Enabled());
    EXPECT_TRUE(f.Command4.Enabled());

    // "Play Cyclic" starts afresh: a first pass that prepares the cursor and the view.
    WriteFile(path, wave);
    f.SelEndMs = 900;
    f.Command4.Press();
    EXPECT_EQ(f.PlayMode, 1);
    EXPECT_FALSE(f.PlayIdle);
    EXPECT_EQ(Cursors(f), kOnGraphs);
    f.Command3.Press();
    ASSERT_TRUE(WaitForRest(f));
}

TEST_F(Playback, LoadingAnotherFileSilencesThePlayingOne) {
    Form103& f = LoadCounted(1, 16, kRate, kFrames, Tone);
    f.SelIniMs = 0;
    f.SelEndMs = 1900;
    f.Command4.Press(); // cyclic: would play on and on
    ASSERT_TRUE(f.MMControl1.IsPlaying());
    ASSERT_FALSE(f.PlayIdle);

    const std::string other = dir.File("other.wav");
    WriteFile(other, MakeWave(2, 8, kRate, 4000, [](int, int) { return 128; }));
    shell.dialog.SetFileName(other);
    f.LerFileDad_3();
    EXPECT_TRUE(f.FileLoaded);
    EXPECT_FALSE(f.MMControl1.IsOpen()) << "the old sound stops";
    EXPECT_EQ(Cursors(f), kNoCursor);
    EXPECT_TRUE(f.Command1.Enabled());
    EXPECT_TRUE(f.Command4.Enabled());
    EXPECT_TRUE(f.PlayIdle);
    EXPECT_EQ(f.PlayMode, 0);
    PumpFor(300);
    EXPECT_EQ(completions, 0) << "no completion of the silenced play arrives later";
    EXPECT_FALSE(f.MMControl1.IsOpen());
}

TEST_F(Playback, AFailingHandlerReturnsTheViewToRestWhicheverEventRanIt) {
    // Each event's handler fails while the hourglass is up and file channel 1 is open: the
    // failure ends there, the hourglass goes and the channel closes.
    using Fire = std::function<void(Form103&, const std::function<void()>&)>;
    const std::vector<std::pair<const char*, Fire>> events{
        {"click",
         [](Form103& f, const std::function<void()>& fail) {
             f.Command6.Click = fail;
             f.Command6.Press();
         }},
        {"note timer",
         [](Form103& f, const std::function<void()>& fail) {
             f.Timer1.Tick = fail;
             f.Timer1.SetInterval(1);
             f.Timer1.SetEnabled(true);
         }},
        {"player status",
         [](Form103& f, const std::function<void()>& fail) {
             f.Command1.Press();
             f.MMControl1.StatusUpdate = fail;
             f.MMControl1.SetUpdateInterval(10);
         }},
        {"player completion",
         [](Form103& f, const std::function<void()>& fail) {
             f.MMControl1.Done = fail;
             f.Command1.Press();
             f.Command3.Press();
         }},
    };
    for (const auto& [name, fire] : events) {
        SCOPED_TRACE(name);
        view.reset();
        Form103& f = Load(1, 16, kRate, kFrames, Tone);
        channel1.Open(shell.dialog.FileName(), FileChannel::Mode::BinaryRead);
        TestServices().screen.Set(MousePointer::Hourglass);
        bool failed = false;
        fire(f, [&] {
            failed = true;
            throw std::runtime_error("the handler failed");
        });
        ASSERT_TRUE(PumpUntil([&] { return failed; }, 2000));
        PumpFor(20);
        EXPECT_EQ(TestServices().screen.Get(), MousePointer::Default);
        EXPECT_FALSE(channel1.IsOpen());
    }
}
