#include "midi_file.h"

#include <algorithm>
#include <initializer_list>
#include <map>

namespace {

constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kMetaTempo = 0x51;
constexpr std::uint8_t kMetaEndOfTrack = 0x2F;
constexpr std::uint8_t kSysEx = 0xF0;
constexpr std::uint8_t kSysExEscape = 0xF7;
constexpr std::uint8_t kProgramChange = 0xC0;
constexpr std::uint8_t kNoteOn = 0x90;
constexpr std::uint8_t kNoteOff = 0x80;
constexpr std::uint32_t kDefaultTempo = 500000; // microseconds per quarter note

// One byte at a time: GCC 12 warns falsely about inserting a list into an empty vector.
void PutBytes(MidiBytes& b, std::initializer_list<std::uint8_t> bytes) {
    for (std::uint8_t v : bytes) {
        b.push_back(v);
    }
}

void Put32(MidiBytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        b.push_back(static_cast<std::uint8_t>(v >> shift));
    }
}

void Put16(MidiBytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}

// Variable-length quantity: seven bits a byte, most significant first.
void PutVarLen(MidiBytes& b, std::uint32_t v) {
    std::uint8_t groups[5];
    int n = 0;
    do {
        groups[n++] = static_cast<std::uint8_t>(v & 0x7F);
        v >>= 7;
    } while (v != 0);
    while (n > 1) {
        b.push_back(static_cast<std::uint8_t>(groups[--n] | 0x80));
    }
    b.push_back(groups[0]);
}

// Bytes still to read in one chunk; every read is bounds-checked.
class Cursor {
  public:
    Cursor(const MidiBytes& b, std::size_t pos, std::size_t end) : b_(b), pos_(pos), end_(end) {}
    bool AtEnd() const { return pos_ >= end_; }
    bool Byte(std::uint8_t& out) {
        if (pos_ >= end_) {
            return false;
        }
        out = b_[pos_++];
        return true;
    }
    bool VarLen(std::uint32_t& out) {
        out = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t c;
            if (!Byte(c)) {
                return false;
            }
            out = (out << 7) | (c & 0x7Fu);
            if ((c & 0x80) == 0) {
                return true;
            }
        }
        return false; // longer than four bytes
    }
    bool Skip(std::uint32_t n) {
        if (n > end_ - pos_) {
            return false;
        }
        pos_ += n;
        return true;
    }
    std::size_t Pos() const { return pos_; }
    std::uint8_t At(std::size_t pos) const { return b_[pos]; }

  private:
    const MidiBytes& b_;
    std::size_t pos_;
    std::size_t end_;
};

std::uint32_t Read32(const MidiBytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

bool TagAt(const MidiBytes& b, std::size_t at, const char* tag) {
    return std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(at));
}

// Number of data bytes that follow a channel status byte.
int DataBytes(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

struct TrackWalk {
    std::uint64_t endTick = 0;
    std::uint16_t channels = 0;
};

// Walks one track chunk; tempo changes go into the shared map (tick -> microseconds).
bool WalkTrack(Cursor c, TrackWalk& walk, std::map<std::uint64_t, std::uint32_t>& tempos) {
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    while (!c.AtEnd()) {
        std::uint32_t delta;
        std::uint8_t status;
        if (!c.VarLen(delta) || !c.Byte(status)) {
            return false;
        }
        tick += delta;
        walk.endTick = tick;
        if (status == kMeta) {
            std::uint8_t type;
            std::uint32_t length;
            if (!c.Byte(type) || !c.VarLen(length)) {
                return false;
            }
            const std::size_t dataAt = c.Pos();
            if (!c.Skip(length)) {
                return false;
            }
            if (type == kMetaTempo) {
                if (length != 3) {
                    return false;
                }
                const std::uint32_t us = (std::uint32_t{c.At(dataAt)} << 16) |
                                         (std::uint32_t{c.At(dataAt + 1)} << 8) | c.At(dataAt + 2);
                if (us == 0) {
                    return false;
                }
                tempos[tick] = us;
            }
            if (type == kMetaEndOfTrack) {
                return true;
            }
            running = 0;
            continue;
        }
        if (status == kSysEx || status == kSysExEscape) {
            std::uint32_t length;
            if (!c.VarLen(length) || !c.Skip(length)) {
                return false;
            }
            running = 0;
            continue;
        }
        int needed;
        if (status & 0x80) {
            if (status >= 0xF0) {
                return false; // system common / real-time bytes do not belong in a file
            }
            running = status;
            needed = DataBytes(status);
        } else {
            if (running == 0) {
                return false; // data byte with no status to run on
            }
            needed = DataBytes(running) - 1; // this byte was the first data byte
        }
        for (int i = 0; i < needed; ++i) {
            std::uint8_t d;
            if (!c.Byte(d) || (d & 0x80)) {
                return false;
            }
        }
        walk.channels |= static_cast<std::uint16_t>(1u << (running & 0x0F));
    }
    return true;
}

} // namespace

MidiFileBytes WriteMidiFormat0(std::uint16_t division, const std::vector<MidiEvent>& events) {
    std::vector<MidiEvent> sorted = events;
    std::vector<std::size_t> order(events.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return events[a].tick < events[b].tick; });

    MidiBytes track;
    std::vector<std::size_t> trackOffsets(events.size());
    std::uint32_t now = 0;
    for (std::size_t i : order) {
        const MidiEvent& e = events[i];
        PutVarLen(track, e.tick - now);
        now = e.tick;
        trackOffsets[i] = track.size();
        if (!e.data.empty() && e.data[0] == kMeta && e.data.size() >= 2) {
            track.push_back(kMeta);
            track.push_back(e.data[1]);
            PutVarLen(track, static_cast<std::uint32_t>(e.data.size() - 2));
            track.insert(track.end(), e.data.begin() + 2, e.data.end());
        } else {
            track.insert(track.end(), e.data.begin(), e.data.end());
        }
    }
    PutBytes(track, {0x00, kMeta, kMetaEndOfTrack, 0x00});

    MidiFileBytes out;
    PutBytes(out.bytes, {'M', 'T', 'h', 'd'});
    Put32(out.bytes, 6);
    Put16(out.bytes, 0); // format 0
    Put16(out.bytes, 1); // one track
    Put16(out.bytes, division);
    PutBytes(out.bytes, {'M', 'T', 'r', 'k'});
    Put32(out.bytes, static_cast<std::uint32_t>(track.size()));
    const std::size_t trackStart = out.bytes.size();
    out.bytes.insert(out.bytes.end(), track.begin(), track.end());
    out.eventOffsets.reserve(events.size());
    for (std::size_t off : trackOffsets) {
        out.eventOffsets.push_back(trackStart + off);
    }
    return out;
}

OneNoteFile WriteOneNoteMidi(const OneNote& n) {
    const auto b = [](int v) { return static_cast<std::uint8_t>(v & 0x7F); };
    const auto ch = static_cast<std::uint8_t>(n.channel & 0x0F);
    const std::vector<MidiEvent> events = {
        {0,
         {kMeta, kMetaTempo, static_cast<std::uint8_t>(n.tempo >> 16),
          static_cast<std::uint8_t>(n.tempo >> 8), static_cast<std::uint8_t>(n.tempo)}},
        {0, {static_cast<std::uint8_t>(kProgramChange | ch), b(n.program)}},
        {0, {static_cast<std::uint8_t>(kNoteOn | ch), b(n.key), b(n.velocity)}},
        {n.durationTicks, {static_cast<std::uint8_t>(kNoteOff | ch), b(n.key), 0}},
    };
    MidiFileBytes file = WriteMidiFormat0(n.division, events);
    return {std::move(file.bytes), file.eventOffsets[1] + 1, file.eventOffsets[2] + 1,
            file.eventOffsets[3] + 1};
}

std::optional<MidiFileInfo> ReadMidiFileInfo(const MidiBytes& bytes) {
    constexpr std::size_t kChunkHeader = 8;
    if (bytes.size() < 14 || !TagAt(bytes, 0, "MThd")) {
        return std::nullopt;
    }
    const std::uint32_t headerLength = Read32(bytes, 4);
    if (headerLength < 6 || headerLength > bytes.size() - kChunkHeader) {
        return std::nullopt;
    }
    MidiFileInfo info;
    info.format = (bytes[8] << 8) | bytes[9];
    const int declaredTracks = (bytes[10] << 8) | bytes[11];
    const std::uint16_t division = static_cast<std::uint16_t>((bytes[12] << 8) | bytes[13]);
    if (info.format > 2 || declaredTracks < 1 || division == 0) {
        return std::nullopt;
    }

    std::map<std::uint64_t, std::uint32_t> tempos;
    std::uint64_t endTick = 0;
    std::size_t at = kChunkHeader + headerLength;
    while (at + kChunkHeader <= bytes.size() && info.tracks < declaredTracks) {
        const std::uint32_t length = Read32(bytes, at + 4);
        if (length > bytes.size() - at - kChunkHeader) {
            return std::nullopt;
        }
        if (TagAt(bytes, at, "MTrk")) {
            TrackWalk walk;
            if (!WalkTrack(Cursor(bytes, at + kChunkHeader, at + kChunkHeader + length), walk,
                           tempos)) {
                return std::nullopt;
            }
            endTick = std::max(endTick, walk.endTick);
            info.channelMask |= walk.channels;
            ++info.tracks;
        }
        at += kChunkHeader + length;
    }
    if (info.tracks == 0) {
        return std::nullopt;
    }

    if (division & 0x8000) {
        // SMPTE time: frames per second (29 stands for 29.97) times ticks per frame.
        const int fps = -static_cast<std::int8_t>(division >> 8);
        const int ticksPerFrame = division & 0xFF;
        if (fps <= 0 || ticksPerFrame == 0) {
            return std::nullopt;
        }
        const double rate = (fps == 29 ? 29.97 : fps) * ticksPerFrame;
        info.seconds = std::min(static_cast<double>(endTick) / rate, kMaxMidiSeconds);
        return info;
    }
    double seconds = 0;
    std::uint64_t tick = 0;
    std::uint32_t tempo = kDefaultTempo;
    for (const auto& [at_tick, us] : tempos) {
        if (at_tick >= endTick) {
            break;
        }
        seconds += static_cast<double>(at_tick - tick) * tempo / 1e6 / division;
        tick = at_tick;
        tempo = us;
    }
    seconds += static_cast<double>(endTick - tick) * tempo / 1e6 / division;
    info.seconds = std::min(seconds, kMaxMidiSeconds);
    return info;
}
