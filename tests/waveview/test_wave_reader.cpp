// The header walk on byte-built files, files written by sox, and damaged headers.
#include "tests/support/fixtures.h"
#include "waveview/wave_reader.h"

#include "base/numbers.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace {

using Failure = WaveHeader::Failure;

WaveHeader Walk(const Bytes& bytes) {
    TempDir dir;
    const std::string path = dir.File("t.wav");
    WriteFile(path, bytes);
    FileChannel ch;
    ch.Open(path, FileChannel::Mode::BinaryRead);
    return WalkWaveHeader(ch);
}

Bytes Silence(int channels, int bits, int frames) {
    return MakeWave(channels, bits, 8000, frames, [&](int, int) { return bits == 8 ? 128 : 0; });
}

// A header with a format chunk of `fmtLength` bytes and the chunks in `between` before data.
Bytes CustomWave(int fmtLength, const Bytes& between, int formatTag = 1, int channels = 1,
                 int bits = 16, int dataBytes = 64) {
    Bytes b;
    PutText(b, "RIFF");
    PutLE32(b, 0);
    PutText(b, "WAVE");
    PutText(b, "fmt ");
    PutLE32(b, fmtLength);
    PutLE16(b, formatTag);
    PutLE16(b, channels);
    PutLE32(b, 8000);
    PutLE32(b, 16000);
    PutLE16(b, channels * bits / 8);
    PutLE16(b, bits);
    for (int i = 16; i < fmtLength; ++i) {
        b.push_back(0);
    }
    b.insert(b.end(), between.begin(), between.end());
    PutText(b, "data");
    PutLE32(b, dataBytes);
    b.insert(b.end(), static_cast<std::size_t>(dataBytes), 0);
    return b;
}

Bytes Chunk(const std::string& tag, int length, std::uint8_t fill = 'x') {
    Bytes b;
    PutText(b, tag);
    PutLE32(b, length);
    b.insert(b.end(), static_cast<std::size_t>(length), fill);
    return b;
}

} // namespace

TEST(WaveReader, CanonicalHeader) {
    const WaveHeader h = Walk(MakeWave(2, 16, 44100, 100, [](int f, int) { return f; }));
    EXPECT_EQ(h.failure, Failure::None);
    EXPECT_EQ(h.fmtOffset, 12);
    EXPECT_EQ(h.dataStart, 45);
    EXPECT_EQ(h.channels, 2);
    EXPECT_EQ(h.sampleRate, 44100);
    EXPECT_EQ(h.blockAlign, 4);
    EXPECT_EQ(h.bits, 16);
    EXPECT_EQ(h.dataSize, 400);
}

TEST(WaveReader, AcceptsWhatTheByteSearchWalksOver) {
    struct Case {
        const char* name;
        Bytes file;
        std::int64_t dataStart;
    };
    const Case cases[] = {
        {"18-byte format chunk", CustomWave(18, {}), 47},
        {"40-byte format chunk", CustomWave(40, {}), 69},
        {"fact chunk before data", CustomWave(16, Chunk("fact", 4)), 57},
        {"LIST chunk of 80 bytes", CustomWave(16, Chunk("LIST", 80)), 133},
        {"non-PCM format tag", CustomWave(16, {}, 3), 45},
        // The "d" of "data" may be the hundredth byte of the round.
        {"99 bytes before data", CustomWave(16, Bytes(99, 'x')), 144},
        // A "d" without "ata" restarts the round right after it.
        {"lone d at 90",
         CustomWave(16,
                    [] {
                        Bytes b(89, 'x');
                        b.push_back('d');
                        b.insert(b.end(), 50, 'x');
                        return b;
                    }()),
         185},
    };
    for (const auto& c : cases) {
        const WaveHeader h = Walk(c.file);
        EXPECT_EQ(h.failure, Failure::None) << c.name;
        EXPECT_EQ(h.dataStart, c.dataStart) << c.name;
    }
}

TEST(WaveReader, RefusesWhatItCannotHandle) {
    Bytes fmtOffGrid = CustomWave(16, {});
    fmtOffGrid.insert(fmtOffGrid.begin() + 12, 2, 'x'); // "fmt " at offset 14
    Bytes loneDLate(95, 'x');
    loneDLate.push_back('d');
    struct Case {
        const char* name;
        Bytes file;
        Failure failure;
    };
    const Case cases[] = {
        {"3 channels", CustomWave(16, {}, 1, 3), Failure::Channels},
        {"0 channels", CustomWave(16, {}, 1, 0), Failure::Channels},
        {"24 bits", CustomWave(16, {}, 1, 1, 24), Failure::Bits},
        {"32 bits", CustomWave(16, {}, 1, 2, 32), Failure::Bits},
        {"100 bytes without a d", CustomWave(16, Bytes(100, 'x')), Failure::NoData},
        {"lone d 96 bytes into its round", CustomWave(16, loneDLate), Failure::NoData},
        {"no data frames", CustomWave(16, {}, 1, 1, 16, 0), Failure::NoFrames},
        {"fmt tag off the 4-byte grid, short file", fmtOffGrid, Failure::Truncated},
        {"empty file", Bytes{}, Failure::Truncated},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Walk(c.file).failure, c.failure) << c.name;
    }
}

TEST(WaveReader, AbsurdFieldValuesAreRefused) {
    auto patched = [](int offset, std::int64_t value, int width) {
        Bytes b = Silence(1, 16, 50);
        for (int i = 0; i < width; ++i) {
            b[static_cast<std::size_t>(offset + i)] = static_cast<std::uint8_t>(value >> (8 * i));
        }
        return b;
    };
    EXPECT_EQ(Walk(patched(32, 0, 2)).failure, Failure::BadBlockAlign);
    EXPECT_EQ(Walk(patched(32, -2, 2)).failure, Failure::BadBlockAlign);
    EXPECT_EQ(Walk(patched(24, 0, 4)).failure, Failure::BadRate);
    EXPECT_EQ(Walk(patched(24, -44100, 4)).failure, Failure::BadRate);
}

TEST(WaveReader, DataLengthIsUnsignedAndBoundByTheFile) {
    struct Case {
        const char* name;
        std::uint32_t claim;
        std::int64_t used;
        Failure failure;
    };
    const Case cases[] = {
        {"the bytes there", 100, 100, Failure::None},
        {"fewer than the file holds", 60, 60, Failure::None},
        {"a recording cut short", 1000, 100, Failure::None},
        {"2 GiB and more", 0x80000000u, 100, Failure::None},
        {"left unwritten by a streaming writer", 0xFFFFFFFFu, 100, Failure::None},
        {"none", 0, 0, Failure::NoFrames},
    };
    for (const Case& c : cases) {
        Bytes b = Silence(1, 16, 50); // 100 data bytes after the length at offset 40
        for (int i = 0; i < 4; ++i) {
            b[static_cast<std::size_t>(40 + i)] = static_cast<std::uint8_t>(c.claim >> (8 * i));
        }
        const WaveHeader h = Walk(b);
        EXPECT_EQ(h.failure, c.failure) << c.name;
        EXPECT_EQ(h.claimedSize, c.claim) << c.name;
        EXPECT_EQ(h.dataSize, c.used) << c.name;
        EXPECT_EQ(FrameCount(h.dataSize, h.blockAlign), c.used / 2) << c.name;
    }
}

TEST(WaveReader, FilesOf2GiBAndMore) {
    struct Case {
        const char* name;
        int bits;
        std::int64_t dataBytes; // written as a hole, so the file costs no disk
        Failure failure;
        std::int32_t frames;
    };
    const Case cases[] = {
        {"3 GiB of 16-bit frames", 16, 3LL << 30, Failure::None, 1610612736},
        {"4 GiB of 8-bit frames", 8, 0xFFFFFFF0LL, Failure::TooManyFrames, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.File("big.wav");
        Bytes b = Silence(1, c.bits, 0);
        for (int i = 0; i < 4; ++i) {
            b[static_cast<std::size_t>(40 + i)] = static_cast<std::uint8_t>(c.dataBytes >> (8 * i));
        }
        WriteFile(path, b);
        ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(b.size() + c.dataBytes)), 0);
        FileChannel ch;
        ch.Open(path, FileChannel::Mode::BinaryRead);
        const WaveHeader h = WalkWaveHeader(ch);
        EXPECT_EQ(h.failure, c.failure) << c.name;
        EXPECT_EQ(h.dataSize, c.dataBytes) << c.name;
        if (c.failure == Failure::None) {
            EXPECT_EQ(FrameCount(h.dataSize, h.blockAlign), c.frames) << c.name;
        }
    }
}

TEST(WaveReader, EveryTruncationOfAHeaderIsRefused) {
    const Bytes whole = Silence(2, 16, 10);
    for (std::size_t len = 0; len < 44; ++len) {
        const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(len));
        EXPECT_NE(Walk(cut).failure, Failure::None) << len << " bytes";
    }
}

TEST(WaveReader, RandomHeadersNeverReadWithoutBound) {
    std::mt19937 rng(1234);
    TempDir dir;
    const std::string path = dir.File("r.wav");
    for (int round = 0; round < 300; ++round) {
        Bytes b = Silence(1 + round % 2, round % 3 ? 16 : 8, 20);
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < flips; ++i) {
            b[rng() % 48] = static_cast<std::uint8_t>(rng());
        }
        b.resize(rng() % (b.size() + 1));
        WriteFile(path, b);
        FileChannel ch;
        ch.Open(path, FileChannel::Mode::BinaryRead);
        const WaveHeader h = WalkWaveHeader(ch);
        // The walk never reads past the end of the file.
        EXPECT_LE(ch.Position(), static_cast<std::int64_t>(b.size()) + 1);
        if (h.failure == Failure::None) {
            EXPECT_TRUE(h.channels == 1 || h.channels == 2);
            EXPECT_TRUE(h.bits == 8 || h.bits == 16);
            EXPECT_GE(h.blockAlign, 1);
            EXPECT_GE(h.sampleRate, 1);
            EXPECT_LE(h.dataStart, static_cast<std::int64_t>(b.size()) + 1);
        }
    }
}

TEST(WaveReader, ALongRunOfDsIsDecidedInFewReads) {
    // Every "d" restarts the search, so a run of them is walked to its end: in whole windows.
    constexpr std::size_t kRun = 8 << 20;
    Bytes dataChunk;
    PutText(dataChunk, "data");
    PutLE32(dataChunk, 4);
    PutLE32(dataChunk, 0);
    struct Case {
        const char* name;
        Bytes after;
        Failure failure;
        std::int64_t dataStart;
    };
    const Case cases[] = {
        {"to the end of the file", {}, Failure::Truncated, 0},
        {"then the data chunk", dataChunk, Failure::None, 36 + kRun + 9},
        {"then a hundred bytes without a d", Bytes(103, 'x'), Failure::NoData, 0},
    };
    TempDir dir;
    for (const Case& c : cases) {
        Bytes b = CustomWave(16, {});
        b.resize(36); // the format fields; the search starts here
        b.insert(b.end(), kRun, 'd');
        b.insert(b.end(), c.after.begin(), c.after.end());
        WriteFile(dir.File("d.wav"), b);
        FileChannel ch;
        ch.Open(dir.File("d.wav"), FileChannel::Mode::BinaryRead);
        const WaveHeader h = WalkWaveHeader(ch);
        EXPECT_EQ(h.failure, c.failure) << c.name;
        if (c.failure == Failure::None) {
            EXPECT_EQ(h.dataStart, c.dataStart) << c.name;
        }
        EXPECT_LT(ch.SystemReads(), 100u) << c.name;
    }
}

// The data search one byte at a time: the offset after "data", -1 when the search gives up,
// -2 when the file ends first.
std::int64_t ByteWiseDataSearch(const Bytes& b, std::int64_t pos) {
    const auto size = static_cast<std::int64_t>(b.size());
    for (;;) {
        int count = 0;
        while (count < 100) {
            if (pos >= size) {
                return -2;
            }
            ++count;
            if (b[static_cast<std::size_t>(pos++)] == 'd') {
                break;
            }
        }
        if (pos + 3 > size) {
            return -2;
        }
        if (std::memcmp(&b[static_cast<std::size_t>(pos)], "ata", 3) == 0) {
            return pos + 3;
        }
        if (count > 90) {
            return -1;
        }
    }
}

TEST(WaveReader, TheWindowedSearchDecidesAsTheByteWiseOne) {
    std::mt19937 rng(99);
    TempDir dir;
    const std::string path = dir.File("s.wav");
    for (int round = 0; round < 400; ++round) {
        Bytes b = CustomWave(16, {});
        b.resize(36);
        // Mostly "d"s, some letters of "data", and now and then a quiet stretch near 90 bytes.
        const std::size_t body = rng() % 3000;
        while (b.size() < 36 + body) {
            const unsigned r = rng() % 100;
            if (r < 2) {
                b.insert(b.end(), 80 + rng() % 25, 'x');
            } else {
                b.push_back(r < 80 ? 'd' : "atx"[r % 3]);
            }
        }
        WriteFile(path, b);
        FileChannel ch;
        ch.Open(path, FileChannel::Mode::BinaryRead);
        const WaveHeader h = WalkWaveHeader(ch, 128); // small windows: many window edges
        const std::int64_t after = ByteWiseDataSearch(b, 36);
        if (after == -1) {
            EXPECT_EQ(h.failure, Failure::NoData) << round;
        } else if (after == -2 || after + 4 > static_cast<std::int64_t>(b.size())) {
            EXPECT_EQ(h.failure, Failure::Truncated) << round;
        } else {
            EXPECT_EQ(h.dataStart, after + 5) << round;
        }
    }
}

TEST(WaveReader, FrameCountRoundsHalfToEven) {
    EXPECT_EQ(FrameCount(1000, 2), 500);
    EXPECT_EQ(FrameCount(1001, 2), 500);
    EXPECT_EQ(FrameCount(1003, 2), 502);
    EXPECT_EQ(FrameCount(7, 4), 2);
    EXPECT_THROW(FrameCount(10, 0), num::NumberError);
}

TEST(WaveReader, DurationTexts) {
    struct Case {
        std::int32_t frames, rate;
        const char* line;
        std::int32_t wholeMs;
    };
    const Case cases[] = {
        {20004, 10000, "Extension: 2 seconds", 2000},
        {20006, 10000, "Extension: 2.001 seconds", 2000},
        {132300, 22050, "Extension: 6 seconds", 6000},
        {1, 44100, "Extension: 0 seconds", 0},
        {13230, 44100, "Extension: 0.3 seconds", 300},
    };
    for (const auto& c : cases) {
        const WaveDuration d = DurationOf(c.frames, c.rate);
        EXPECT_EQ(DurationLine(d.shownSeconds), c.line) << c.frames;
        EXPECT_EQ(d.wholeMs, c.wholeMs) << c.frames;
    }
    EXPECT_THROW(DurationOf(100, 0), num::NumberError);
    EXPECT_THROW(DurationOf(2147483647, 1), num::NumberError); // ms overflow 32 bits
}

// The frame count sox itself reports for a file.
int SoxFrameCount(const std::string& path) {
    std::string cmd = "soxi -s " + path;
    std::FILE* p = popen(cmd.c_str(), "r");
    int frames = -1;
    if (p) {
        if (std::fscanf(p, "%d", &frames) != 1) {
            frames = -1;
        }
        pclose(p);
    }
    return frames;
}

// Files written by sox, a writer that is not ours.
TEST(WaveReader, FilesWrittenBySox) {
    TempDir dir;
    struct Case {
        const char* args;
        Failure failure;
        int channels, bits, rate, frames;
    };
    const Case cases[] = {
        {"-r 8000 -b 8 -c 1", Failure::None, 1, 8, 8000, 800},
        {"-r 22050 -b 16 -c 1", Failure::None, 1, 16, 22050, 2205},
        {"-r 44100 -b 16 -c 2", Failure::None, 2, 16, 44100, 4410},
        {"-r 11025 -b 8 -c 2", Failure::None, 2, 8, 11025, 1103}, // sox rounds 1102.5 up
        {"-r 44100 -b 24 -c 1", Failure::Bits, 1, 24, 44100, 4410},
        {"-r 44100 -b 16 -c 3", Failure::Channels, 3, 16, 44100, 4410},
    };
    for (const auto& c : cases) {
        const std::string path = dir.File("sox.wav");
        const std::string cmd =
            std::string("sox -q -n ") + c.args + " " + path + " synth 0.1 sine 440 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        FileChannel ch;
        ch.Open(path, FileChannel::Mode::BinaryRead);
        const WaveHeader h = WalkWaveHeader(ch);
        EXPECT_EQ(h.failure, c.failure) << c.args;
        if (c.failure == Failure::None) {
            EXPECT_EQ(h.channels, c.channels);
            EXPECT_EQ(h.bits, c.bits);
            EXPECT_EQ(h.sampleRate, c.rate);
            EXPECT_EQ(FrameCount(h.dataSize, h.blockAlign), c.frames) << c.args;
            EXPECT_EQ(FrameCount(h.dataSize, h.blockAlign), SoxFrameCount(path)) << c.args;
            EXPECT_EQ(h.dataStart + h.dataSize - 1, ch.Length()) << c.args;
        }
    }
}
