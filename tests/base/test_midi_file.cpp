// The one-note MIDI writer and the reader that finds a file's length.
#include "base/midi_file.h"

#include <gtest/gtest.h>

namespace {

MidiBytes Header(int format, int tracks, int division) {
    return {'M',
            'T',
            'h',
            'd',
            0,
            0,
            0,
            6,
            0,
            static_cast<std::uint8_t>(format),
            0,
            static_cast<std::uint8_t>(tracks),
            static_cast<std::uint8_t>(division >> 8),
            static_cast<std::uint8_t>(division)};
}

void AppendTrack(MidiBytes& file, const MidiBytes& events) {
    const auto n = static_cast<std::uint32_t>(events.size());
    for (std::uint8_t b :
         MidiBytes{'M', 'T', 'r', 'k', static_cast<std::uint8_t>(n >> 24),
                   static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                   static_cast<std::uint8_t>(n)}) {
        file.push_back(b);
    }
    file.insert(file.end(), events.begin(), events.end());
}

MidiBytes OneTrack(const MidiBytes& events, int division = 480) {
    MidiBytes f = Header(0, 1, division);
    AppendTrack(f, events);
    return f;
}

} // namespace

TEST(MidiFile, OneNoteFileHasItsBytesWhereItSays) {
    OneNote n;
    n.channel = 3;
    n.program = 71;
    n.key = 57;
    n.velocity = 90;
    n.durationTicks = 960;
    const OneNoteFile f = WriteOneNoteMidi(n);
    const MidiBytes expected = {
        'M',  'T',  'h',  'd',  0,    0,    0,    6,
        0,    0,    0,    1,    0x01, 0xE0,           // format 0, 1 track, 480/quarter
        'M',  'T',  'r',  'k',  0,    0,    0,    23, // track length
        0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,     // tempo 500000 us
        0x00, 0xC3, 71,                               // program change, channel 3
        0x00, 0x93, 57,   90,                         // note on
        0x87, 0x40, 0x83, 57,   0,                    // 960 ticks later: note off
        0x00, 0xFF, 0x2F, 0x00};                      // end of track
    EXPECT_EQ(f.bytes, expected);
    EXPECT_EQ(f.programOffset, 31u);
    EXPECT_EQ(f.keyOnOffset, 34u);
    EXPECT_EQ(f.keyOffOffset, 39u);
    EXPECT_EQ(f.bytes[f.programOffset], 71);
    EXPECT_EQ(f.bytes[f.keyOnOffset], 57);
    EXPECT_EQ(f.bytes[f.keyOffOffset], 57);
}

TEST(MidiFile, WriterKeepsEventOrderAndReportsOffsets) {
    // Out of order in the list, tied ticks kept in list order.
    const std::vector<MidiEvent> events = {
        {200, {0x80, 60, 0}},
        {0, {0xC0, 5}},
        {0, {0x90, 60, 100}},
        {0, {0xFF, 0x01, 'h', 'i'}},
    };
    const MidiFileBytes f = WriteMidiFormat0(96, events);
    ASSERT_EQ(f.eventOffsets.size(), 4u);
    EXPECT_EQ(f.bytes[f.eventOffsets[1]], 0xC0);
    EXPECT_EQ(f.bytes[f.eventOffsets[2]], 0x90);
    EXPECT_EQ(f.bytes[f.eventOffsets[3]], 0xFF);
    EXPECT_EQ(f.bytes[f.eventOffsets[3] + 2], 2) << "the meta length is written";
    EXPECT_EQ(f.bytes[f.eventOffsets[0]], 0x80);
    EXPECT_LT(f.eventOffsets[1], f.eventOffsets[2]);
    EXPECT_LT(f.eventOffsets[2], f.eventOffsets[3]);
    EXPECT_LT(f.eventOffsets[3], f.eventOffsets[0]);
    // 200 ticks as a variable-length quantity: 0x81 0x48.
    EXPECT_EQ(f.bytes[f.eventOffsets[0] - 2], 0x81);
    EXPECT_EQ(f.bytes[f.eventOffsets[0] - 1], 0x48);
}

TEST(MidiFile, ReaderFindsLengthAndChannels) {
    struct Case {
        const char* name;
        MidiBytes file;
        double seconds;
        std::uint16_t channels;
    };
    OneNote half;
    half.channel = 2;
    half.durationTicks = 240;
    OneNote slow;
    slow.tempo = 1000000; // one quarter a second
    slow.durationTicks = 960;
    MidiBytes twoTracks = Header(1, 2, 480);
    AppendTrack(twoTracks, {0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,       // tempo 1 s at 0
                            0x83, 0x60, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, // 0.5 s at 480
                            0x00, 0xFF, 0x2F, 0x00});
    AppendTrack(twoTracks, {0x00, 0x95, 60, 100, 0x87, 0x40, 0x85, 60, 0, 0x00, 0xFF, 0x2F, 0});
    const Case cases[] = {
        {"one note, 240 ticks", WriteOneNoteMidi(half).bytes, 0.25, 1u << 2},
        {"slow tempo", WriteOneNoteMidi(slow).bytes, 2.0, 1u},
        // 480 ticks at 1 s a quarter, then 480 at 0.5 s: 1.5 s.
        {"tempo change in the first track", twoTracks, 1.5, 1u << 5},
        // Running status: the note off reuses the note-on status.
        {"running status", OneTrack({0x00, 0x91, 64, 100, 0x83, 0x60, 64, 0, 0x00, 0xFF, 0x2F, 0}),
         1.0 * 480 / 480 * 0.5, 1u << 1},
        // 25 frames a second, 40 ticks a frame: 1000 ticks a second.
        {"SMPTE time", OneTrack({0x87, 0x68, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0}, 0xE728), 1.0, 1u},
        {"system exclusive", OneTrack({0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 0xFF, 0x2F, 0}), 0.0, 0},
        // An edited file: the slowest tempo, one tick a quarter and the longest delta claim
        // 4.5e9 s; a file is taken to last a day at most.
        {"absurd length",
         OneTrack({0x00, 0xFF, 0x51, 0x03, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 60, 100,
                   0x00, 0xFF, 0x2F, 0},
                  1),
         kMaxMidiSeconds, 1u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto info = ReadMidiFileInfo(c.file);
        ASSERT_TRUE(info.has_value());
        EXPECT_NEAR(info->seconds, c.seconds, 1e-9);
        EXPECT_EQ(info->channelMask, c.channels);
    }
}

TEST(MidiFile, ReaderRejectsMalformedFiles) {
    const MidiBytes good = WriteOneNoteMidi(OneNote{}).bytes;
    MidiBytes cut = good;
    cut.resize(cut.size() - 3);
    MidiBytes badTag = good;
    badTag[0] = 'X';
    MidiBytes zeroDivision = good;
    zeroDivision[12] = zeroDivision[13] = 0;
    MidiBytes format3 = good;
    format3[9] = 3;
    struct Case {
        const char* name;
        MidiBytes file;
    };
    const Case cases[] = {
        {"empty", {}},
        {"header only", Header(0, 1, 480)},
        {"not a MIDI header", badTag},
        {"track runs past the end", cut},
        {"zero division", zeroDivision},
        {"unknown format", format3},
        {"data byte with no status", OneTrack({0x00, 0x40, 0x40})},
        {"status byte inside a message", OneTrack({0x00, 0x90, 0x90, 0x40})},
        {"message cut by the track end", OneTrack({0x00, 0x90, 0x40})},
        {"five-byte delta time", OneTrack({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1})},
        {"tempo of the wrong length", OneTrack({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1})},
        {"system common byte", OneTrack({0x00, 0xF2, 0x00, 0x00})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(ReadMidiFileInfo(c.file).has_value());
    }
    EXPECT_TRUE(ReadMidiFileInfo(good).has_value());
}
