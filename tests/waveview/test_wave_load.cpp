// Loading a file into the waveform view: the description in the labels, the channel
// options, and the one failure path for every file that cannot be loaded.
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "tests/waveview/test_shell.h"
#include "view_fixture.h"
#include "waveview/waveform_view.h"

#include "base/file_channel.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

namespace {

const char* kRejectText = "Cannot open; the file may be corrupted, or\r\n"
                          "it is written in unsupported format.";

class WaveLoad : public StandaloneView {
  protected:
    void Load(const std::string& path) { LoadPath(path); }
};

} // namespace

TEST_F(WaveLoad, DescribesAStereoFile) {
    const std::string path = dir.File("song.wav");
    WriteFile(path, MakeWave(2, 16, 44100, 88200, [](int f, int) { return f % 100; }));
    Load(path);

    EXPECT_TRUE(view->FileLoaded);
    EXPECT_EQ(shell.caption, "Tonvexa [Files *.wav - (Demo.wav)]"); // name set by program
    EXPECT_EQ(view->Label1.Caption(), "File: " + path);
    EXPECT_EQ(view->Label2.Caption(), "Size: 352844 Bytes");
    EXPECT_EQ(view->Label3.Caption().rfind("Last modified: ", 0), 0u);
    EXPECT_EQ(view->Label3.Left(), view->Label1.Left() + view->Label1.Width() + 500);
    EXPECT_EQ(view->SampleRate().Caption(), "44100");
    EXPECT_EQ(view->ChannelsText().Caption(), "Stereo");
    EXPECT_EQ(view->BitsText().Caption(), "16 bits");
    EXPECT_EQ(view->BlockAlign().Caption(), "4");
    EXPECT_EQ(view->DataSize().Caption(), "352800");
    EXPECT_EQ(view->DataStart().Caption(), "45");
    EXPECT_EQ(view->TotalPoints().Caption(), "88200");
    EXPECT_EQ(view->ViewPoints().Caption(), "88200");
    EXPECT_EQ(view->DurationText().Caption(), "Extension: 2 seconds");
    EXPECT_EQ(view->TotalSecs().Caption(), "2");
    EXPECT_EQ(view->ViewSecs().Caption(), "2");
    EXPECT_EQ(view->ViewIniMs().Caption(), "0");
    EXPECT_EQ(view->ViewIniPoint().Caption(), "0");
    EXPECT_EQ(view->SelEndMs, 2000);
    EXPECT_EQ(view->SelIniMs, 0);
    EXPECT_EQ(view->SelIniPoint().Caption(), "");
    EXPECT_EQ(view->FftPoints().Caption(), "");
    EXPECT_TRUE(view->Frame2.Enabled());
    EXPECT_TRUE(view->Option1.Enabled());
    EXPECT_TRUE(view->Option2.Enabled());
    EXPECT_TRUE(view->Option1.Value());
    EXPECT_TRUE(view->Picture5.Visible());
    EXPECT_EQ(view->Picture2.Height(), 1240);
    EXPECT_FALSE(channel1.IsOpen());
    EXPECT_EQ(TestServices().beep.count, 1);
    EXPECT_TRUE(TestServices().messages.shown.empty());
}

TEST_F(WaveLoad, AFileChosenInTheDialogNamesItselfInTheCaption) {
    const std::string path = dir.File("song.wav");
    WriteFile(path, MakeWave(1, 8, 8000, 100, [](int, int) { return 128; }));
    TestServices().files.answers.push_back(path);
    shell.dialog.ShowOpen();
    view->LerFileDad_3();
    EXPECT_EQ(shell.caption, "Tonvexa [Files *.wav - (song.wav)]");
    EXPECT_EQ(view->ChannelsText().Caption(), "Mono");
    EXPECT_EQ(view->BitsText().Caption(), "8 bits");
}

TEST_F(WaveLoad, MonoAfterStereoHidesTheRightGraphAndDisablesTheChannels) {
    const std::string stereo = dir.File("s.wav");
    const std::string mono = dir.File("m.wav");
    WriteFile(stereo, MakeWave(2, 8, 8000, 100, [](int, int) { return 128; }));
    WriteFile(mono, MakeWave(1, 16, 8000, 100, [](int, int) { return 0; }));
    Load(stereo);
    view->Amp8Mono = 240; // as after four "x 2"
    Load(mono);
    EXPECT_FALSE(view->Picture5.Visible());
    EXPECT_EQ(view->Picture2.Height(), 2480);
    EXPECT_FALSE(view->Frame2.Enabled());
    EXPECT_FALSE(view->Option1.Enabled());
    EXPECT_FALSE(view->Option2.Enabled());
    EXPECT_FLOAT_EQ(view->Amp8Mono, 15.0f);
    EXPECT_FLOAT_EQ(view->Amp16Mono, 1.0f / 17);
    EXPECT_FLOAT_EQ(view->Amp8Stereo, 7.0f);
    EXPECT_FLOAT_EQ(view->Amp16Stereo, 1.0f / 35);
}

// Every refusal shows the one message; only the status line, standing while the message is
// up, tells the cause.
TEST_F(WaveLoad, EveryUnloadableFileTakesTheOneFailurePathAndTellsItsCause) {
    const std::string good = dir.File("good.wav");
    WriteFile(good, MakeWave(1, 16, 8000, 100, [](int, int) { return 0; }));
    const std::string threeChannels = dir.File("three.wav");
    WriteFile(threeChannels, MakeWave(3, 16, 8000, 100, [](int, int) { return 0; }));
    const std::string deep = dir.File("deep.wav");
    WriteFile(deep, MakeWave(1, 24, 8000, 100, [](int, int) { return 0; }));
    Bytes floats = MakeWave(1, 32, 8000, 100, [](int, int) { return 0; });
    floats[20] = 3; // IEEE float
    const std::string floating = dir.File("float.wav");
    WriteFile(floating, floats);
    const std::string twelve = dir.File("twelve.wav");
    WriteFile(twelve, MakeWave(1, 12, 8000, 100, [](int, int) { return 0; }));
    const std::string flac = dir.File("song.flac");
    Bytes flacBytes = {'f', 'L', 'a', 'C', 0, 0, 0, 34};
    flacBytes.resize(600, 0x11);
    WriteFile(flac, flacBytes);
    const std::string empty = dir.File("empty.wav");
    WriteFile(empty, {});
    Bytes cut = ReadFile(good);
    cut.resize(30);
    const std::string truncated = dir.File("cut.wav");
    WriteFile(truncated, cut);
    const std::string unreadable = dir.File("locked.wav");
    WriteFile(unreadable, ReadFile(good));
    chmod(unreadable.c_str(), 0);
    const bool rootReadsAnything = geteuid() == 0;
    const std::string fifo = dir.File("pipe.wav");
    const Fifo pipe(fifo);

    struct Case {
        std::string path;
        std::string cause;
    };
    const Case cases[] = {
        {threeChannels, "3 channels: mono or stereo only"},
        {deep, "24-bit samples: use File > Import..."},
        {floating, "32-bit float samples: use File > Import..."},
        {twelve, "12-bit samples: 8-bit or 16-bit PCM only"},
        {flac, "not a RIFF/WAVE file"},
        {empty, "an empty file"},
        {truncated, "cut short"},
        {dir.Path(), "a folder, not a file"},
        {dir.File("vanished.wav"), "no such file"},
        {unreadable, "permission denied"},
        {fifo, "a FIFO, not a file"},
    };
    for (const Case& c : cases) {
        const std::string& path = c.path;
        if (path == unreadable && rootReadsAnything) {
            continue; // permissions do not stop the superuser
        }
        Load(good);
        ASSERT_TRUE(view->FileLoaded);
        TestServices().Reset();
        shell.openCommands = 0;
        bool openUnderTheMessage = true;
        std::string statusUnderTheMessage;
        TestServices().messages.onShow = [&](const ShownMessage&) {
            openUnderTheMessage = channel1.IsOpen();
            statusUnderTheMessage = shell.StatusText();
        };
        const auto start = std::chrono::steady_clock::now();
        Load(path);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << path;
        EXPECT_FALSE(openUnderTheMessage) << path;
        ASSERT_EQ(TestServices().messages.shown.size(), 1u) << path;
        EXPECT_EQ(TestServices().messages.shown[0].text, kRejectText);
        EXPECT_EQ(TestServices().messages.shown[0].title, "Tonvexa");
        EXPECT_EQ(statusUnderTheMessage, "Cannot open " +
                                             std::filesystem::path(path).filename().string() +
                                             ": " + c.cause);
        EXPECT_EQ(shell.openCommands, 1) << "the dialog is offered again";
        EXPECT_FALSE(view->FileLoaded);
        EXPECT_FALSE(channel1.IsOpen());
        for (const Label* l : std::initializer_list<const Label*>{
                 &view->Label1, &view->Label2, &view->SampleRate(), &view->ChannelsText(),
                 &view->BitsText(), &view->TotalPoints(), &view->DurationText()}) {
            EXPECT_EQ(l->Caption(), "") << path;
        }
        EXPECT_EQ(shell.dialog.FileName(), path) << "the failed name stays the current one";
    }
}

TEST_F(WaveLoad, AFailedLoadLeavesAChannelItDidNotOpen) {
    const std::string good = dir.File("good.wav");
    WriteFile(good, MakeWave(1, 16, 8000, 100, [](int, int) { return 0; }));
    const std::string other = dir.File("notes.mid");
    WriteFile(other, Bytes(40, 1));
    channel1.Open(other, FileChannel::Mode::BinaryRead); // someone else's, mid-handler
    Load(good);
    EXPECT_EQ(TestServices().messages.shown.size(), 1u);
    EXPECT_TRUE(channel1.IsOpen()) << "the load closed a channel it had not opened";
}

TEST_F(WaveLoad, LengthsPastTheFileAndPast2GiBLoad) {
    struct Case {
        const char* name;
        std::uint32_t claim;
        std::int64_t holeBytes; // data added as a hole after the 100 written bytes
        const char* dataSize;
        const char* frames;
    };
    const Case cases[] = {
        {"left unwritten by a streaming writer", 0xFFFFFFFFu, 0, "100", "50"},
        {"a recording cut short", 4000, 0, "100", "50"},
        {"3 GiB", 0xC0000000u, 0xC0000000LL - 100, "3221225472", "1610612736"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.File("long.wav");
        Bytes b = MakeWave(1, 16, 8000, 50, [](int f, int) { return f * 100; });
        for (int i = 0; i < 4; ++i) {
            b[static_cast<std::size_t>(40 + i)] = static_cast<std::uint8_t>(c.claim >> (8 * i));
        }
        WriteFile(path, b);
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(b.size() + c.holeBytes)), 0);
        TestServices().Reset();
        Load(path);
        EXPECT_TRUE(view->FileLoaded) << c.name;
        EXPECT_TRUE(TestServices().messages.shown.empty()) << c.name;
        EXPECT_EQ(view->DataSize().Caption(), c.dataSize) << c.name;
        EXPECT_EQ(view->TotalPoints().Caption(), c.frames) << c.name;
    }
}

TEST_F(WaveLoad, TheRefusedFieldShowsErrorBehindTheMessage) {
    struct Case {
        int channels, bits;
        const char* channelsText;
        const char* bitsText;
    };
    for (const Case& c : {Case{3, 16, "Error", ""}, Case{2, 24, "Stereo", "Error"}}) {
        const std::string path = dir.File("bad.wav");
        WriteFile(path, MakeWave(c.channels, c.bits, 8000, 10, [](int, int) { return 0; }));
        std::string channelsSeen, bitsSeen;
        TestServices().messages.onShow = [&](const ShownMessage&) {
            channelsSeen = view->ChannelsText().Caption();
            bitsSeen = view->BitsText().Caption();
        };
        Load(path);
        EXPECT_EQ(channelsSeen, c.channelsText);
        EXPECT_EQ(bitsSeen, c.bitsText);
        EXPECT_EQ(view->ChannelsText().Caption(), "") << "cleared after the message";
        TestServices().Reset();
    }
}

TEST_F(WaveLoad, ClearingEmptiesEveryValue) {
    const std::string path = dir.File("a.wav");
    WriteFile(path, MakeWave(2, 16, 8000, 1000, [](int, int) { return 0; }));
    Load(path);
    Writable(view->SelPoints()).SetCaption("1000");
    view->PonTransf();
    ASSERT_EQ(view->FftPoints().Caption(), "512");
    view->LimpF();
    EXPECT_FALSE(view->FileLoaded);
    EXPECT_TRUE(view->PlayIdle);
    EXPECT_EQ(view->FftPoints().Caption(), "");
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(view->Label16[static_cast<std::size_t>(i)].Caption(), "");
    }
    EXPECT_FALSE(view->Picture3.Visible());
    EXPECT_EQ(view->Picture3.Width(), 0);
}

TEST_F(WaveLoad, TheTransformSizeIsTheLargestPowerOfTwoBelowTheSelection) {
    struct Case {
        const char* selPoints;
        const char* fftPoints;
    };
    const Case cases[] = {{"", ""},           {"1", "32"},         {"20", "32"},
                          {"32", "32"},       {"33", "32"},        {"64", "32"},
                          {"65", "64"},       {"1000", "512"},     {"1024", "512"},
                          {"1025", "1024"},   {"32768", "16384"},  {"32769", "32768"},
                          {"40000", "32768"}, {"2000000", "32768"}};
    for (const auto& c : cases) {
        Writable(view->SelPoints()).SetCaption(c.selPoints);
        view->PonTransf();
        EXPECT_EQ(view->FftPoints().Caption(), c.fftPoints) << c.selPoints;
    }
}

TEST_F(WaveLoad, ASelectionPast2GiBZoomsAndAnalysesTheFramesThere) {
    // 16-bit mono, 1.5 G frames: the last quarter of the graph lies past byte 2^31.
    const std::string path = dir.File("long.wav");
    constexpr std::uint32_t kDataBytes = 0xC0000000u;
    Bytes b = MakeWave(1, 16, 8000, 0, [](int, int) { return 0; });
    for (int i = 0; i < 4; ++i) {
        b[static_cast<std::size_t>(40 + i)] = static_cast<std::uint8_t>(kDataBytes >> (8 * i));
    }
    WriteFile(path, b);
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(b.size() + kDataBytes)), 0);
    Load(path);
    ASSERT_TRUE(view->FileLoaded);
    view->Picture2_MouseDown(kLeftButton, 0, 9000, 100);
    view->Picture2_MouseMove(kLeftButton, 0, 9500, 100);
    view->Picture2_MouseUp(kLeftButton, 0, 9500, 100);
    const std::int64_t first = std::stoll(view->SelIniPoint().Caption());
    const std::int64_t at = static_cast<std::int64_t>(b.size()) + 2 * first;
    ASSERT_GT(at, std::int64_t{1} << 31);

    // The frames the transform must see: a known value where the selection starts.
    const int points = std::stoi(view->FftPoints().Caption());
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(at);
        for (int i = 0; i < points; ++i) {
            f.put(static_cast<char>(0xE8)).put(0x03); // 1000
        }
    }
    view->Command5.Press();
    ASSERT_EQ(spectrum.transforms, 1);
    ASSERT_EQ(spectrum.block.size(), static_cast<std::size_t>(points) + 1);
    EXPECT_EQ(std::count(spectrum.block.begin() + 1, spectrum.block.end(), 1000.0), points);

    view->Command6.Press(); // "Zoom"
    EXPECT_EQ(view->ViewIniPoint().Caption(), view->SelIniPoint().Caption());
    EXPECT_FALSE(channel1.IsOpen());
}
