#include "wave_reader.h"

#include "base/numbers.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kFmtGroups = 100;               // 4-byte groups scanned for "fmt " (offsets 0..396)
constexpr int kDataRoundBytes = 100;          // bytes read per round of the data search
constexpr int kDataLastStart = 90;            // a "d" later than this in its round ends the search
constexpr std::size_t kMinSearchWindow = 128; // holds a whole quiet stretch and its look-ahead

struct Truncated {};

// Reads `n` bytes at a zero-based offset, refusing to read past the end of the file.
void ReadAt(FileChannel& ch, std::int64_t length, std::int64_t offset, std::uint8_t* out, int n) {
    if (offset + n > length) {
        throw Truncated{};
    }
    ch.Seek(offset + 1);
    ch.ReadBytes(out, static_cast<std::size_t>(n));
}

std::uint32_t LE32(const std::uint8_t* b) {
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::int16_t LE16(const std::uint8_t* b) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

// A window of the file, read a whole window at a time and never smaller, so a long search
// costs one read per window however its rounds fall.
class SearchWindow {
  public:
    SearchWindow(FileChannel& ch, std::int64_t length, std::size_t bytes)
        : ch_(ch), length_(length), window_(std::max(bytes, kMinSearchWindow)) {}

    // The bytes at [offset, offset + n), n at most the window; Truncated past the file's end.
    const std::uint8_t* At(std::int64_t offset, std::size_t n) {
        const auto end = offset + static_cast<std::int64_t>(n);
        if (end > length_) {
            throw Truncated{};
        }
        if (offset < start_ || end > start_ + static_cast<std::int64_t>(have_)) {
            have_ = static_cast<std::size_t>(
                std::min<std::int64_t>(static_cast<std::int64_t>(window_), length_ - offset));
            if (buf_.size() < have_) {
                buf_.resize(have_); // a short file needs no more than it holds
            }
            ch_.Seek(offset + 1);
            ch_.ReadBytes(buf_.data(), have_);
            start_ = offset;
        }
        return buf_.data() + (offset - start_);
    }

    std::int64_t Length() const { return length_; }

  private:
    FileChannel& ch_;
    std::int64_t length_;
    std::size_t window_;
    std::vector<std::uint8_t> buf_;
    std::int64_t start_ = 0;
    std::size_t have_ = 0;
};

// From the round that starts at `pos`, passes over every round that surely neither finds the
// data tag, nor ends the search, nor reaches the end of the file: while the first 90 bytes
// hold a "d" and no "d" up to the last of them starts "data", every round up to that last
// "d" goes on. Returns where the first round that needs a closer look starts.
std::int64_t SkipQuietRounds(SearchWindow& w, std::int64_t pos) {
    constexpr std::size_t kSpan = kDataLastStart + 3; // a round's bytes and its look-ahead
    while (pos + static_cast<std::int64_t>(kSpan) <= w.Length()) {
        const std::uint8_t* p = w.At(pos, kSpan);
        const void* last = memrchr(p, 'd', kDataLastStart);
        if (!last) {
            return pos;
        }
        const auto lastD = static_cast<std::size_t>(static_cast<const std::uint8_t*>(last) - p);
        // "data" can only start at a "d" followed by an "a".
        if (std::memchr(p + 1, 'a', lastD + 1) && memmem(p, lastD + 4, "data", 4) != nullptr) {
            return pos;
        }
        pos += static_cast<std::int64_t>(lastD) + 1;
    }
    return pos;
}

// The data search: single bytes, at most a hundred a round, until a "d"; the three bytes
// after it reading "ata" end the search at the data length, otherwise a round that took more
// than ninety bytes ends it unfound and any other starts again after the "d". Returns the
// offset of the data length, or -1 when not found.
std::int64_t FindDataChunk(SearchWindow& w, std::int64_t pos) {
    for (;;) {
        pos = SkipQuietRounds(w, pos);
        int count = 0;
        while (count < kDataRoundBytes) {
            const std::uint8_t b = *w.At(pos, 1);
            ++pos;
            ++count;
            if (b == 'd') {
                break;
            }
        }
        if (std::memcmp(w.At(pos, 3), "ata", 3) == 0) {
            return pos + 3;
        }
        if (count > kDataLastStart) {
            return -1;
        }
    }
}

} // namespace

WaveHeader WalkWaveHeader(FileChannel& ch, std::size_t searchWindow) {
    WaveHeader h;
    const std::int64_t length = ch.Length();
    h.fileLength = length;
    try {
        // The format chunk: the first 4-byte group reading "fmt "; when none of the hundred
        // groups does, the fields are read as if the tag stood at 396.
        std::int64_t f = 4 * (kFmtGroups - 1);
        std::uint8_t tag[4];
        bool riff = false;
        for (int g = 0; g < kFmtGroups; ++g) {
            ReadAt(ch, length, 4 * g, tag, 4);
            if (g == 0) {
                riff = std::memcmp(tag, "RIFF", 4) == 0;
            } else if (g == 2) {
                h.riffWave = riff && std::memcmp(tag, "WAVE", 4) == 0;
            }
            if (std::memcmp(tag, "fmt ", 4) == 0) {
                f = 4 * g;
                h.fmtFound = true;
                break;
            }
        }
        h.fmtOffset = f;

        std::uint8_t fields[24];
        ReadAt(ch, length, f, fields, 12); // tag, chunk length, format tag, channels
        h.formatTag = LE16(fields + 8);
        h.channels = LE16(fields + 10);
        h.channelsRead = true;
        if (h.channels != 1 && h.channels != 2) {
            h.failure = WaveHeader::Failure::Channels;
            return h;
        }
        ReadAt(ch, length, f + 12, fields + 12, 10); // rate, byte rate, block align
        h.sampleRate = static_cast<std::int32_t>(LE32(fields + 12));
        h.blockAlign = LE16(fields + 20);
        h.formatRead = true;
        ReadAt(ch, length, f + 22, fields + 22, 2);
        h.bits = LE16(fields + 22);
        h.bitsRead = true;
        if (h.bits != 8 && h.bits != 16) {
            h.failure = WaveHeader::Failure::Bits;
            return h;
        }

        SearchWindow window(ch, length, searchWindow);
        const std::int64_t pos = FindDataChunk(window, f + 24);
        if (pos < 0) {
            h.failure = WaveHeader::Failure::NoData;
            return h;
        }
        std::uint8_t len[4];
        ReadAt(ch, length, pos, len, 4);
        h.claimedSize = LE32(len);
        h.dataStart = pos + 4 + 1;
        // A recording cut short, or a length left unwritten (0xFFFFFFFF) by a streaming
        // writer: only the bytes that are there are data.
        h.dataSize = std::min<std::int64_t>(h.claimedSize, length - (pos + 4));
        h.dataRead = true;
    } catch (const Truncated&) {
        h.failure = WaveHeader::Failure::Truncated;
        return h;
    }
    if (h.blockAlign < 1) {
        h.failure = WaveHeader::Failure::BadBlockAlign;
    } else if (h.sampleRate < 1) {
        h.failure = WaveHeader::Failure::BadRate;
    } else {
        try {
            if (FrameCount(h.dataSize, h.blockAlign) < 1) {
                h.failure = WaveHeader::Failure::NoFrames;
            }
        } catch (const num::NumberError&) {
            h.failure = WaveHeader::Failure::TooManyFrames;
        }
    }
    return h;
}

namespace {

constexpr std::int16_t kFloatFormat = 3;

// Sample sizes a sound file may have that File > Import... turns into 16 bits.
bool ImportableBits(std::int16_t bits) {
    return bits == 24 || bits == 32 || bits == 64;
}

} // namespace

std::string RefusalCause(const WaveHeader& h) {
    using F = WaveHeader::Failure;
    if (h.failure == F::None) {
        return {};
    }
    // Without its tags and without a format chunk, the file is something else: a FLAC, an Ogg
    // or an MP3 file named .wav, or no sound at all.
    if (!h.fmtFound && !h.riffWave) {
        return h.fileLength == 0 ? "an empty file" : "not a RIFF/WAVE file";
    }
    if (!h.fmtFound) {
        return "no format chunk where the reader looks for it";
    }
    switch (h.failure) {
    case F::None:
        break;
    case F::Truncated:
        return "cut short";
    case F::Channels:
        return num::IntText(h.channels) + " channels: mono or stereo only";
    case F::Bits: {
        const std::string size = num::IntText(h.bits) + "-bit" +
                                 (h.formatTag == kFloatFormat ? " float" : "") + " samples";
        return ImportableBits(h.bits) ? size + ": use File > Import..."
                                      : size + ": 8-bit or 16-bit PCM only";
    }
    case F::NoData:
        return "no data chunk found";
    case F::NoFrames:
        return "no sound in its data chunk";
    case F::BadRate:
        return "a sample rate of " + num::IntText(h.sampleRate) + " Hz";
    case F::BadBlockAlign:
        return "a block align of " + num::IntText(h.blockAlign) + " bytes";
    case F::TooManyFrames:
        return "longer than 2^31 frames";
    }
    return {};
}

std::int32_t FrameCount(std::int64_t dataSize, std::int16_t blockAlign) {
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
