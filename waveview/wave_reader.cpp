#include "wave_reader.h"

#include "platform/numbers.h"

#include <cmath>
#include <cstring>

namespace {

constexpr int kFmtGroups = 100;      // 4-byte groups scanned for "fmt " (offsets 0..396)
constexpr int kDataRoundBytes = 100; // bytes read per round of the data search
constexpr int kDataLastStart = 90;   // a "d" later than this in its round ends the search

struct Truncated {};

// Reads `n` bytes at a zero-based offset, refusing to read past the end of the file.
void ReadAt(FileChannel& ch, std::int64_t length, std::int64_t offset, std::uint8_t* out, int n) {
    if (offset + n > length) {
        throw Truncated{};
    }
    ch.Seek(offset + 1);
    ch.ReadBytes(out, static_cast<std::size_t>(n));
}

std::int32_t LE32(const std::uint8_t* b) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
        (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24));
}

std::int16_t LE16(const std::uint8_t* b) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

} // namespace

WaveHeader WalkWaveHeader(FileChannel& ch) {
    WaveHeader h;
    const std::int64_t length = ch.Length();
    try {
        // The format chunk: the first 4-byte group reading "fmt "; when none of the hundred
        // groups does, the fields are read as if the tag stood at 396.
        std::int64_t f = 4 * (kFmtGroups - 1);
        std::uint8_t tag[4];
        for (int g = 0; g < kFmtGroups; ++g) {
            ReadAt(ch, length, 4 * g, tag, 4);
            if (std::memcmp(tag, "fmt ", 4) == 0) {
                f = 4 * g;
                break;
            }
        }
        h.fmtOffset = f;

        std::uint8_t fields[24];
        ReadAt(ch, length, f, fields, 12); // tag, chunk length, format tag, channels
        h.channels = LE16(fields + 10);
        h.channelsRead = true;
        if (h.channels != 1 && h.channels != 2) {
            h.failure = WaveHeader::Failure::Channels;
            return h;
        }
        ReadAt(ch, length, f + 12, fields + 12, 10); // rate, byte rate, block align
        h.sampleRate = LE32(fields + 12);
        h.blockAlign = LE16(fields + 20);
        h.formatRead = true;
        ReadAt(ch, length, f + 22, fields + 22, 2);
        h.bits = LE16(fields + 22);
        h.bitsRead = true;
        if (h.bits != 8 && h.bits != 16) {
            h.failure = WaveHeader::Failure::Bits;
            return h;
        }

        // The data chunk: a byte-wise search for "d" followed by "ata", in rounds of at most
        // a hundred bytes; a round whose "d" is not followed by "ata" restarts after it.
        std::int64_t pos = f + 24;
        for (;;) {
            int count = 0;
            std::uint8_t b = 0;
            while (count < kDataRoundBytes) {
                ReadAt(ch, length, pos, &b, 1);
                ++pos;
                ++count;
                if (b == 'd') {
                    break;
                }
            }
            std::uint8_t rest[3];
            ReadAt(ch, length, pos, rest, 3);
            if (std::memcmp(rest, "ata", 3) == 0) {
                pos += 3;
                break;
            }
            if (count > kDataLastStart) {
                h.failure = WaveHeader::Failure::NoData;
                return h;
            }
        }
        std::uint8_t len[4];
        ReadAt(ch, length, pos, len, 4);
        h.dataSize = LE32(len);
        h.dataStart = pos + 4 + 1;
        h.dataRead = true;
    } catch (const Truncated&) {
        h.failure = WaveHeader::Failure::Truncated;
        return h;
    }
    if (h.blockAlign < 1) {
        h.failure = WaveHeader::Failure::BadBlockAlign;
    } else if (h.sampleRate < 1) {
        h.failure = WaveHeader::Failure::BadRate;
    } else if (FrameCount(h.dataSize, h.blockAlign) < 1) {
        h.failure = WaveHeader::Failure::NoFrames;
    }
    return h;
}

std::int32_t FrameCount(std::int32_t dataSize, std::int16_t blockAlign) {
    if (blockAlign == 0) {
        throw num::NumberError("division by zero");
    }
    return num::CLng(static_cast<double>(dataSize) / static_cast<double>(blockAlign));
}

WaveDuration DurationOf(std::int32_t frames, std::int32_t sampleRate) {
    if (sampleRate == 0) {
        throw num::NumberError("division by zero");
    }
    WaveDuration d{};
    d.seconds = static_cast<float>(static_cast<double>(frames) / sampleRate);
    float r = static_cast<float>(std::floor(d.seconds * 1000.0f)) / 1000.0f;
    if (d.seconds - r >= 0.0005f) {
        r += 0.001f;
    }
    d.shownSeconds = r;
    d.wholeMs = num::CLng(std::floor(d.seconds * 1000.0f));
    return d;
}

std::string DurationLine(float shownSeconds) {
    return "Extension: " + num::SingleText(shownSeconds) + " seconds";
}
