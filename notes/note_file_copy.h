// The writable copies of the note files: made from their read-only templates, checked before
// use, and patched so that a crash or a full disk never leaves a half-written file. Failures
// say why, with errno's text ("Read-only file system", "Is a directory"). No toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Where the bytes the program rewrites lie in one note file (1-based file positions).
struct NoteFileLayout {
    std::int16_t keyOn;                 // the key number of the note on
    std::int16_t keyOff;                // the key number of the note off
    std::vector<std::int16_t> programs; // the program numbers of the program changes
};

// The layouts of the piano and the instrument note file.
NoteFileLayout PianoLayout();
NoteFileLayout InstrumentLayout();

// True when `path` is a regular file that the MIDI reader reads whole: a format-0 header, one
// track that ends where the file ends, a note on (with a loudness) and a note off whose key
// numbers lie at the layout's positions, and a program change at each program position.
bool NoteFileIsWhole(const std::string& path, const NoteFileLayout& layout);

// Makes `path` a whole copy when it is not: from `preferred` when that is whole (a copy the
// user's choice lives in), else from `templatePath`; creates the folder. Empty on success,
// else why the copy cannot be made.
std::string EnsureNoteFile(const std::string& templatePath, const std::string& path,
                           const NoteFileLayout& layout, const std::string& preferred = {});

// One byte to write: its 1-based file position and its value.
using BytePatch = std::pair<std::int64_t, std::uint8_t>;

// Writes the patched file to a temporary file in the same folder and renames it over `path`.
// Empty on success, else why (and `path` untouched): the file cannot be read, a position lies
// past its end, or the new file cannot be written.
std::string PatchNoteFile(const std::string& path, const std::vector<BytePatch>& patches);
