// Writing a file whole or not at all. The bytes go to a temporary file beside the target,
// reach the disk, and only then take the target's name (an existing file of that name is
// replaced). Nothing half-written ever carries the name, and a failed write leaves no
// temporary file behind. Failures name the file, the step and errno's text ("No space left on
// device", "Read-only file system", "Permission denied"). No toolkit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// A file being written under a temporary name; abandoned (removed) unless committed.
class AtomicFile {
  public:
    AtomicFile() = default;
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file in `path`'s folder, which must exist. Empty on success, else
    // why it failed.
    std::string Open(const std::string& path);
    // Appends bytes; a short write is continued until every byte is written or the system
    // refuses. Empty on success, else why (the file is then abandoned).
    std::string Write(std::span<const std::uint8_t> bytes);
    // Overwrites bytes already written, from the zero-based `offset` (a header whose lengths
    // are known only at the end). Empty on success, else why (the file is then abandoned).
    std::string WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    // Syncs the data and renames the temporary file over the target. Empty on success, else
    // why (the temporary file is removed and the target left as it was).
    std::string Commit();
    // Removes the temporary file now; the target is left as it was.
    void Abandon();

    const std::string& Path() const { return path_; }

  private:
    std::string Failure(const char* step, int error);

    std::string path_;
    std::string temp_;
    int fd_ = -1;
};

// The whole file in one call, as AtomicFile writes it. Empty on success, else why.
std::string WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// errno's text for an error number: "No space left on device".
std::string ErrorText(int error);

// Makes `folder` and the folders above it. Empty on success (or when it is there), else
// "Cannot make the folder FOLDER: " and errno's text.
std::string MakeFolders(const std::string& folder);
