#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

OpenedFile OpenRegularFile(const std::string& path, int flags, unsigned mode) {
    OpenedFile f;
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK, static_cast<mode_t>(mode));
    if (fd < 0) {
        f.refusal = OpenedFile::Refusal::CannotOpen;
        f.error = errno;
        return f;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        f.error = errno;
        ::close(fd);
        f.refusal = OpenedFile::Refusal::CannotOpen;
        return f;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        f.refusal = OpenedFile::Refusal::NotRegular;
        f.type = st.st_mode & S_IFMT;
        return f;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) < 0) {
        f.error = errno;
        ::close(fd);
        f.refusal = OpenedFile::Refusal::CannotOpen;
        return f;
    }
    f.fd = fd;
    return f;
}

std::string RefusalCause(const OpenedFile& f) {
    switch (f.refusal) {
    case OpenedFile::Refusal::None:
        return {};
    case OpenedFile::Refusal::NotRegular:
        switch (f.type) {
        case S_IFIFO:
            return "a FIFO, not a file";
        case S_IFDIR:
            return "a folder, not a file";
        case S_IFSOCK:
            return "a socket, not a file";
        case S_IFCHR:
        case S_IFBLK:
            return "a device, not a file";
        default:
            return "not a regular file";
        }
    case OpenedFile::Refusal::CannotOpen:
        break;
    }
    switch (f.error) {
    case ENOENT:
        return "no such file";
    case EACCES:
    case EPERM:
        return "permission denied";
    case ENOTDIR:
        return "no such folder";
    default: {
        // errno's text starts with a capital ("Input/output error"); a cause follows a colon,
        // so its first word is lowered unless it is an abbreviation.
        std::string text = std::strerror(f.error);
        const auto upper = [&](std::size_t i) {
            return i < text.size() && std::isupper(static_cast<unsigned char>(text[i]));
        };
        if (upper(0) && !upper(1)) {
            text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        }
        return text;
    }
    }
}
