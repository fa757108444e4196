#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// The name a file goes by in a message: its last component.
std::string ShortName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder of a path, with its trailing slash; "./" for a bare name.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

} // namespace

std::string ErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may or may not be in the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

std::string MakeFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return "Cannot make the folder " + folder + ": " + ErrorText(error.value());
    }
    return {};
}

AtomicFile::~AtomicFile() {
    Abandon();
}

std::string AtomicFile::Failure(const char* step, int error) {
    Abandon();
    return "Cannot " + std::string(step) + " " + ShortName(path_) + ": " + ErrorText(error);
}

std::string AtomicFile::Open(const std::string& path) {
    Abandon();
    path_ = path;
    std::string pattern = FolderOf(path) + "." + ShortName(path) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return Failure("create", errno);
    }
    fd_ = fd;
    temp_ = name.data();
    // mkostemp makes the file private; a finished file gets the usual permissions.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd_, 0666 & ~mask);
    return {};
}

std::string AtomicFile::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        return Failure("write", EBADF);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Failure("write", errno);
        }
        if (n == 0) {
            // A write that takes nothing and reports nothing: the disk is full.
            return Failure("write", ENOSPC);
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::string AtomicFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
    if (fd_ < 0) {
        return Failure("write", EBADF);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return Failure("write", n < 0 ? errno : ENOSPC);
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::string AtomicFile::Commit() {
    if (fd_ < 0) {
        return Failure("write", EBADF);
    }
    if (fdatasync(fd_) != 0) {
        return Failure("write", errno);
    }
    const int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
        const int error = errno;
        fd_ = -1;
        return Failure("write", error);
    }
    if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
        return Failure("save", errno);
    }
    temp_.clear();
    return {};
}

void AtomicFile::Abandon() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        temp_.clear();
    }
}

std::string WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    AtomicFile file;
    std::string why = file.Open(path);
    if (why.empty()) {
        why = file.Write(bytes);
    }
    if (why.empty()) {
        why = file.Commit();
    }
    return why;
}
