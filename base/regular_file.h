// Opening a file by name without hanging on a FIFO, socket or device.
#pragma once

#include <string>

struct OpenedFile {
    enum class Refusal { None, CannotOpen, NotRegular };

    int fd = -1; // the caller's to close when Refusal::None
    Refusal refusal = Refusal::None;
    int error = 0;     // errno of a failed open
    unsigned type = 0; // the file type bits of st_mode (S_IFMT) of what was not regular
};

// Opens `path` with the open(2) `flags` and O_NONBLOCK, so that opening a FIFO or a device
// cannot block; keeps it only when it is a regular file, then clears O_NONBLOCK again.
// `mode` is for a file created by O_CREAT.
OpenedFile OpenRegularFile(const std::string& path, int flags, unsigned mode = 0644);

// Why a refused file could not be opened, in a few plain words for the user: "no such file",
// "permission denied", "a FIFO, not a file", "a folder, not a file", ...; errno's own text for
// the rarer causes. Empty when the file was opened.
std::string RefusalCause(const OpenedFile& f);
