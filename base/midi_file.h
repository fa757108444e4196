// Standard MIDI File bytes: a format-0 writer that tells where each event's bytes lie, a
// one-note file built on it, and a reader that finds a file's length in time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

using MidiBytes = std::vector<std::uint8_t>;

// One track event at an absolute time in ticks: a channel message (status byte first, never
// running status) or a meta event (0xFF, type, then the data; the writer adds the length).
struct MidiEvent {
    std::uint32_t tick;
    MidiBytes data;
};

// A written file and, for every event given, the byte offset (from the file start) of its
// first data byte: the status byte of a channel message, the 0xFF of a meta event.
struct MidiFileBytes {
    MidiBytes bytes;
    std::vector<std::size_t> eventOffsets;
};

// Writes a format-0 file with one track holding the events (sorted by tick, ties kept in
// order) followed by an end-of-track event. division: ticks per quarter note (1..32767).
MidiFileBytes WriteMidiFormat0(std::uint16_t division, const std::vector<MidiEvent>& events);

// One note on one channel: a tempo, a program change, the note on, the note off after the
// duration, and the end of the track.
struct OneNote {
    int channel = 0;    // 0..15
    int program = 0;    // 0..127, zero-based General MIDI program
    int key = 60;       // 0..127
    int velocity = 100; // 1..127
    std::uint32_t durationTicks = 480;
    std::uint16_t division = 480; // ticks per quarter note
    std::uint32_t tempo = 500000; // microseconds per quarter note
};

// A one-note file and the offsets of the bytes a program may rewrite in place.
struct OneNoteFile {
    MidiBytes bytes;
    std::size_t programOffset; // the program number of the program change
    std::size_t keyOnOffset;   // the key number of the note on
    std::size_t keyOffOffset;  // the key number of the note off
};

OneNoteFile WriteOneNoteMidi(const OneNote& note);

// The longest a file is taken to last (one day): an edited or damaged file can claim
// thousands of years, which no position in ms could count.
constexpr double kMaxMidiSeconds = 24.0 * 60 * 60;

// What a player needs to know of a file before playing it.
struct MidiFileInfo {
    int format = 0;
    int tracks = 0;
    double seconds = 0; // time of the last event of the longest track, at most kMaxMidiSeconds
    std::uint16_t channelMask = 0; // bit c set when channel c carries a channel message
};

// Reads the header and walks every track (running status, meta and system-exclusive events,
// tempo changes in any track, as the synthesiser's player honours them; chunks of unknown
// type are skipped). Empty when the bytes are not a well-formed Standard MIDI File.
std::optional<MidiFileInfo> ReadMidiFileInfo(const MidiBytes& bytes);
