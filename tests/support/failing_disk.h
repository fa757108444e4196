// A disk that fails as real disks do, for the tests of the writers: a small private tmpfs,
// filled up or made read-only, mounted in a child process's own mount namespace so that
// nothing outside the child sees it. Root gets one directly; a user through a user namespace.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

// What a body run on the disk may do to it.
class FailingDisk {
  public:
    explicit FailingDisk(std::string folder) : folder_(std::move(folder)) {}
    const std::string& Folder() const { return folder_; }
    // Fills the disk until only `slack` bytes (whole pages) remain free.
    void Fill(std::size_t slack) {
        const std::string filler = folder_ + "/.filler";
        const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        static const char block[4096] = {};
        off_t size = 0;
        for (ssize_t n; (n = write(fd, block, sizeof block)) > 0;) {
            size += n;
        }
        const auto keep = static_cast<off_t>(slack);
        if (slack > 0) {
            [[maybe_unused]] const int shrunk = ftruncate(fd, size > keep ? size - keep : 0);
        }
        close(fd);
    }
    // Makes the whole disk read-only.
    bool MakeReadOnly() {
        return mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

  private:
    std::string folder_;
};

// Runs `body` in a child process that has a fresh 256 KiB tmpfs mounted on the existing empty
// `folder`, and returns the text `body` gave. Empty, with `notRun` saying why, when this
// system gives no mount namespace to the tests.
inline std::optional<std::string>
OnFailingDisk(const std::string& folder, const std::function<std::string(FailingDisk&)>& body,
              std::string& notRun) {
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0) {
        notRun = std::string("pipe: ") + std::strerror(errno);
        return std::nullopt;
    }
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    const pid_t child = fork();
    if (child == 0) {
        close(pipe[0]);
        auto say = [&](char kind, const std::string& text) {
            const std::string message = kind + text;
            [[maybe_unused]] const ssize_t n = write(pipe[1], message.data(), message.size());
            _exit(0);
        };
        auto writeFile = [](const char* path, const std::string& text) {
            const int fd = open(path, O_WRONLY | O_CLOEXEC);
            const bool ok =
                fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
            if (fd >= 0) {
                close(fd);
            }
            return ok;
        };
        if (uid != 0) {
            if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
                say('!', std::string("no user namespace: ") + std::strerror(errno));
            }
            writeFile("/proc/self/setgroups", "deny");
            if (!writeFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
                !writeFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) {
                say('!', "cannot map the user into its namespace");
            }
        } else if (unshare(CLONE_NEWNS) != 0) {
            say('!', std::string("no mount namespace: ") + std::strerror(errno));
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k") != 0) {
            say('!', std::string("cannot mount a tmpfs: ") + std::strerror(errno));
        }
        FailingDisk disk(folder);
        say('=', body(disk));
    }
    close(pipe[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(pipe[0], buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (text.empty() || !WIFEXITED(status)) {
        return "the child ended without an answer (wait status " + std::to_string(status) + ")";
    }
    if (text[0] == '!') {
        notRun = text.substr(1);
        return std::nullopt;
    }
    return text.substr(1);
}
