#include "note_file_copy.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr char kMidiMagic[] = "MThd";
constexpr std::int64_t kMaxNoteFileBytes = 1 << 20; // a one-note file is a few hundred bytes

bool ReadAll(const std::string& path, std::vector<char>& bytes) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || !fs::is_regular_file(path, ec) ||
        size > static_cast<std::uintmax_t>(kMaxNoteFileBytes)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return static_cast<bool>(in) || in.eof();
}

// Writes `bytes` to a new file beside `path` and renames it over `path`, so readers see the
// old file or the new one, never a part of it.
bool ReplaceFile(const std::string& path, const std::vector<char>& bytes) {
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    bool ok = fchmod(fd, 0644) == 0;
    std::size_t written = 0;
    while (ok && written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n <= 0) {
            ok = false;
        } else {
            written += static_cast<std::size_t>(n);
        }
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::remove(temp.c_str());
    }
    return ok;
}

} // namespace

bool NoteFileIsWhole(const std::string& path, std::int64_t minBytes) {
    std::vector<char> bytes;
    if (!ReadAll(path, bytes) || static_cast<std::int64_t>(bytes.size()) < minBytes) {
        return false;
    }
    return bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, kMidiMagic);
}

bool EnsureNoteFile(const std::string& templatePath, const std::string& path,
                    std::int64_t minBytes) {
    if (NoteFileIsWhole(path, minBytes)) {
        return true;
    }
    std::vector<char> bytes;
    if (!ReadAll(templatePath, bytes)) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    return ReplaceFile(path, bytes);
}

bool PatchNoteFile(const std::string& path, const std::vector<BytePatch>& patches) {
    std::vector<char> bytes;
    if (!ReadAll(path, bytes)) {
        return false;
    }
    for (const auto& [position, value] : patches) {
        if (position < 1 || position > static_cast<std::int64_t>(bytes.size())) {
            return false;
        }
        bytes[static_cast<std::size_t>(position - 1)] = static_cast<char>(value);
    }
    return ReplaceFile(path, bytes);
}
