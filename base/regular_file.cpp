#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

OpenedFile OpenRegularFile(const std::string& path, int flags, unsigned mode) {
    OpenedFile f;
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK, static_cast<mode_t>(mode));
    if (fd < 0) {
        f.refusal = OpenedFile::Refusal::CannotOpen;
        f.error = errno;
        return f;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        f.refusal = OpenedFile::Refusal::NotRegular;
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
