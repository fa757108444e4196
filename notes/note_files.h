// The two one-note MIDI files beside the program and the 1-based file positions of the bytes
// the program rewrites in them. Pure constants; no toolkit.
#pragma once

#include <cstdint>

// File names, joined to the program's folder with '/'.
inline constexpr const char* kPianoNoteFile = "/Pia_do.mid";
inline constexpr const char* kInstrumentNoteFile = "/Pis_do.mid";

// Piano note file: the key number of the note on and of the note off.
constexpr std::int16_t kPianoKeyOn = 52;
constexpr std::int16_t kPianoKeyOff = 57;

// Instrument note file: eight program-change program numbers, each followed by a zero byte
// (the delta time of the next event), then the key number of the note on and of the note off.
constexpr std::int16_t kProgramFirst = 52;
constexpr std::int16_t kProgramLast = 101;
constexpr std::int16_t kProgramStep = 7;
constexpr int kProgramCount = 8;
constexpr std::int16_t kInstrumentKeyOn = 108;
constexpr std::int16_t kInstrumentKeyOff = 113;

// Channels of the two files (zero-based), so neither inherits the other's program.
constexpr int kPianoChannel = 0;
constexpr int kInstrumentChannel = 1;
