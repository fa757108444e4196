// Writes the two one-note MIDI files the keyboard plays, Pia_do.mid (piano) and Pis_do.mid
// (instrument), laid out so that the bytes the program rewrites fall on their fixed positions.
// Each file sets bank and program on its own channel before its note, so the two sequencer
// devices, which share one synthesiser, never inherit each other's instrument. Deterministic.
// usage: make_note_files OUT_FOLDER
#include "base/midi_file.h"
#include "notes/note_files.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::uint16_t kDivision = 480;   // ticks per quarter note
constexpr std::uint32_t kTempo = 500000;   // microseconds per quarter note (120 a minute)
constexpr std::uint32_t kNoteTicks = 3840; // 4 s: long enough to hold a key; a 2-byte delta
constexpr int kShippedKey = 60;            // C4 until the keyboard writes a key
constexpr int kVelocity = 100;
constexpr int kReleaseVelocity = 64;
constexpr int kPianoProgram = 0;       // Acoustic Grand Piano
constexpr int kInstrumentProgram = 52; // Choir Aahs, the menu's first instrument

constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kMetaTrackName = 0x03;
constexpr std::uint8_t kMetaTempo = 0x51;

std::uint8_t Status(std::uint8_t kind, int channel) {
    return static_cast<std::uint8_t>(kind | channel);
}
MidiEvent Controller(int channel, int number, int value) {
    return {0,
            {Status(0xB0, channel), static_cast<std::uint8_t>(number),
             static_cast<std::uint8_t>(value)}};
}
MidiEvent ProgramChange(int channel, int program) {
    return {0, {Status(0xC0, channel), static_cast<std::uint8_t>(program)}};
}
MidiEvent TrackName(const std::string& name) {
    MidiEvent e{0, {kMeta, kMetaTrackName}};
    e.data.insert(e.data.end(), name.begin(), name.end());
    return e;
}
MidiEvent Tempo() {
    return {0,
            {kMeta, kMetaTempo, static_cast<std::uint8_t>(kTempo >> 16),
             static_cast<std::uint8_t>(kTempo >> 8), static_cast<std::uint8_t>(kTempo)}};
}
MidiEvent NoteOn(int channel) {
    return {0, {Status(0x90, channel), kShippedKey, kVelocity}};
}
MidiEvent NoteOff(int channel) {
    return {kNoteTicks, {Status(0x80, channel), kShippedKey, kReleaseVelocity}};
}

// Piano: tempo, name, bank 0, program, the note. The key bytes land at 52 and 57.
MidiFileBytes PianoFile(std::size_t& noteOn) {
    const int ch = kPianoChannel;
    const std::vector<MidiEvent> events = {
        Tempo(),
        TrackName("Piano"),
        Controller(ch, 0, 0),  // bank select, coarse
        Controller(ch, 32, 0), // bank select, fine
        ProgramChange(ch, kPianoProgram),
        NoteOn(ch),
        NoteOff(ch),
    };
    noteOn = events.size() - 2;
    return WriteMidiFormat0(kDivision, events);
}

// Instrument: tempo, name, bank 0, volume, then eight program changes with one controller
// between each two (each program byte followed by the zero delta of the next event), a pitch
// bend to the centre, the note. Programs land at 52, 59, ..., 101 and the key at 108 and 113.
MidiFileBytes InstrumentFile(std::vector<std::size_t>& programs, std::size_t& noteOn) {
    const int ch = kInstrumentChannel;
    // Controllers brought to rest between the program changes.
    const int between[kProgramCount - 1][2] = {
        {91, 40}, // reverb depth
        {93, 0},  // chorus depth
        {1, 0},   // modulation
        {64, 0},  // sustain pedal up
        {66, 0},  // sostenuto up
        {67, 0},  // soft pedal up
        {10, 64}, // pan centre
    };
    std::vector<MidiEvent> events = {
        Tempo(),
        TrackName("Solo"),
        Controller(ch, 0, 0),
        Controller(ch, 32, 0),
        Controller(ch, 7, 100), // channel volume
    };
    for (int i = 0; i < kProgramCount; ++i) {
        programs.push_back(events.size());
        events.push_back(ProgramChange(ch, kInstrumentProgram));
        if (i < kProgramCount - 1) {
            events.push_back(Controller(ch, between[i][0], between[i][1]));
        }
    }
    events.push_back({0, {Status(0xE0, ch), 0x00, 0x40}}); // pitch bend centre
    noteOn = events.size();
    events.push_back(NoteOn(ch));
    events.push_back(NoteOff(ch));
    return WriteMidiFormat0(kDivision, events);
}

// 1-based position of the byte after an event's status byte.
std::size_t DataPosition(const MidiFileBytes& f, std::size_t event) {
    return f.eventOffsets[event] + 2;
}

bool Write(const std::string& path, const MidiBytes& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return std::fclose(out) == 0 && ok;
}

bool Check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "make_note_files: %s\n", what);
    }
    return condition;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];

    std::size_t pianoNote = 0;
    const MidiFileBytes piano = PianoFile(pianoNote);
    const std::size_t pianoOff = pianoNote + 1;

    std::vector<std::size_t> programs;
    std::size_t instrumentNote = 0;
    const MidiFileBytes instrument = InstrumentFile(programs, instrumentNote);
    const std::size_t instrumentOff = instrumentNote + 1;

    bool ok = Check(DataPosition(piano, pianoNote) == kPianoKeyOn, "piano note-on key") &&
              Check(DataPosition(piano, pianoOff) == kPianoKeyOff, "piano note-off key") &&
              Check(DataPosition(instrument, instrumentNote) == kInstrumentKeyOn,
                    "instrument note-on key") &&
              Check(DataPosition(instrument, instrumentOff) == kInstrumentKeyOff,
                    "instrument note-off key");
    for (int i = 0; i < kProgramCount && ok; ++i) {
        const std::size_t at = DataPosition(instrument, programs[static_cast<std::size_t>(i)]);
        ok = Check(at == static_cast<std::size_t>(kProgramFirst + i * kProgramStep),
                   "instrument program position") &&
             Check(instrument.bytes[at] == 0, "a zero byte after each program");
    }
    if (!ok) {
        return 1;
    }
    if (!Write(folder + kPianoNoteFile, piano.bytes) ||
        !Write(folder + kInstrumentNoteFile, instrument.bytes)) {
        std::fprintf(stderr, "make_note_files: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
