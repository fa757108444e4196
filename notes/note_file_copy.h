// The writable copies of the note files: made from their read-only templates, checked before
// use, and patched so that a crash or a full disk never leaves a half-written file. No toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// True when `path` holds a MIDI file ("MThd") with at least `minBytes` bytes.
bool NoteFileIsWhole(const std::string& path, std::int64_t minBytes);

// Copies `templatePath` to `path` when `path` is missing or not whole (see NoteFileIsWhole);
// creates the folder. False when the copy cannot be made.
bool EnsureNoteFile(const std::string& templatePath, const std::string& path,
                    std::int64_t minBytes);

// One byte to write: its 1-based file position and its value.
using BytePatch = std::pair<std::int64_t, std::uint8_t>;

// Writes the patched file to a temporary file in the same folder and renames it over `path`.
// False (and `path` untouched) when the file cannot be read, a position lies past its end, or
// the new file cannot be written.
bool PatchNoteFile(const std::string& path, const std::vector<BytePatch>& patches);
