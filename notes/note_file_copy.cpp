#include "note_file_copy.h"

#include "base/atomic_file.h"
#include "base/midi_file.h"
#include "note_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kMaxNoteFileBytes = 1 << 20; // a one-note file is a few hundred bytes
constexpr std::size_t kHeaderChunkBytes = 14;       // "MThd", length 6, format, tracks, division
constexpr std::size_t kChunkHeaderBytes = 8;        // a chunk's tag and length
constexpr std::uint8_t kNoteOnStatus = 0x90;
constexpr std::uint8_t kNoteOffStatus = 0x80;
constexpr std::uint8_t kProgramStatus = 0xC0;

// The file's bytes; empty with `why` when it is no regular file or cannot be read.
bool ReadAll(const std::string& path, MidiBytes& bytes, std::string& why) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec) {
        why = "Cannot read " + fs::path(path).filename().string() + ": " + ErrorText(ec.value());
        return false;
    }
    if (!fs::is_regular_file(status)) {
        why = fs::path(path).filename().string() + " is not a file";
        return false;
    }
    const auto size = fs::file_size(path, ec);
    if (ec || size > static_cast<std::uintmax_t>(kMaxNoteFileBytes)) {
        why = fs::path(path).filename().string() + " is too large for a note file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad() || bytes.size() != size) {
        why = "Cannot read " + fs::path(path).filename().string();
        return false;
    }
    return true;
}

std::uint32_t Read32(const MidiBytes& b, std::size_t at) {
    return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
           (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

// The channel message's status byte kind just before the 1-based position of its first data
// byte.
bool StatusBefore(const MidiBytes& b, std::int64_t position, std::uint8_t kind) {
    const auto status = static_cast<std::size_t>(position - 2);
    return position >= 2 && status + 1 < b.size() && (b[status] & 0xF0) == kind;
}

bool BytesAreWhole(const MidiBytes& b, const NoteFileLayout& layout) {
    const std::optional<MidiFileInfo> info = ReadMidiFileInfo(b);
    if (!info || info->format != 0 || info->tracks != 1 || b.size() < kHeaderChunkBytes + 8) {
        return false;
    }
    // One header, one track, nothing after it.
    if (Read32(b, 4) != 6 || ((b[10] << 8) | b[11]) != 1 ||
        kHeaderChunkBytes + kChunkHeaderBytes + Read32(b, kHeaderChunkBytes + 4) != b.size()) {
        return false;
    }
    const auto velocity = static_cast<std::size_t>(layout.keyOn);
    if (!StatusBefore(b, layout.keyOn, kNoteOnStatus) || velocity >= b.size() || b[velocity] == 0 ||
        !StatusBefore(b, layout.keyOff, kNoteOffStatus)) {
        return false;
    }
    for (std::int16_t p : layout.programs) {
        if (!StatusBefore(b, p, kProgramStatus)) {
            return false;
        }
    }
    return true;
}

bool ReadWhole(const std::string& path, const NoteFileLayout& layout, MidiBytes& bytes) {
    std::string why;
    return ReadAll(path, bytes, why) && BytesAreWhole(bytes, layout);
}

} // namespace

NoteFileLayout PianoLayout() {
    return {kPianoKeyOn, kPianoKeyOff, {}};
}

NoteFileLayout InstrumentLayout() {
    NoteFileLayout layout{kInstrumentKeyOn, kInstrumentKeyOff, {}};
    for (std::int16_t p = kProgramFirst; p <= kProgramLast; p += kProgramStep) {
        layout.programs.push_back(p);
    }
    return layout;
}

bool NoteFileIsWhole(const std::string& path, const NoteFileLayout& layout) {
    MidiBytes bytes;
    return ReadWhole(path, layout, bytes);
}

std::string EnsureNoteFile(const std::string& templatePath, const std::string& path,
                           const NoteFileLayout& layout, const std::string& preferred) {
    MidiBytes bytes;
    if (ReadWhole(path, layout, bytes)) {
        return {};
    }
    if (preferred.empty() || !ReadWhole(preferred, layout, bytes)) {
        std::string why;
        if (!ReadAll(templatePath, bytes, why)) {
            return why;
        }
    }
    if (std::string why = MakeFolders(fs::path(path).parent_path().string()); !why.empty()) {
        return why;
    }
    return WriteFileAtomically(path, bytes);
}

std::string PatchNoteFile(const std::string& path, const std::vector<BytePatch>& patches) {
    MidiBytes bytes;
    if (std::string why; !ReadAll(path, bytes, why)) {
        return why;
    }
    for (const auto& [position, value] : patches) {
        if (position < 1 || position > static_cast<std::int64_t>(bytes.size())) {
            return fs::path(path).filename().string() + " is too short for a note file";
        }
        bytes[static_cast<std::size_t>(position - 1)] = value;
    }
    return WriteFileAtomically(path, bytes);
}
