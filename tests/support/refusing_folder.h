// Folders that refuse what a writer asks of them, for anyone, root included.
#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

// Makes an existing folder refuse new files and renames in it while the object lives: by its
// mode bits for a user, by the immutable flag for root (whom mode bits do not stop). Ready()
// is false, with Why(), when the file system cannot do either.
class ReadOnlyFolder {
  public:
    explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) {
        if (geteuid() != 0) {
            ready_ = chmod(path_.c_str(), 0555) == 0;
            why_ = ready_ ? "" : std::string("chmod: ") + std::strerror(errno);
            return;
        }
        fd_ = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int flags = 0;
        if (fd_ >= 0 && ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            ready_ = ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (!ready_) {
            why_ = std::string("root and no immutable flag on this file system: ") +
                   std::strerror(errno);
        }
    }
    ~ReadOnlyFolder() {
        if (geteuid() != 0) {
            chmod(path_.c_str(), 0755);
        } else if (fd_ >= 0) {
            int flags = 0;
            if (ready_ && ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ioctl(fd_, FS_IOC_SETFLAGS, &flags);
            }
            close(fd_);
        }
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool Ready() const { return ready_; }
    const std::string& Why() const { return why_; }

  private:
    std::string path_;
    int fd_ = -1;
    bool ready_ = false;
    std::string why_;
};
