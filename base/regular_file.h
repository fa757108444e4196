// Opening a file by name without hanging on a FIFO, socket or device.
#pragma once

#include <string>

struct OpenedFile {
    enum class Refusal { None, CannotOpen, NotRegular };

    int fd = -1; // the caller's to close when Refusal::None
    Refusal refusal = Refusal::None;
    int error = 0; // errno of a failed open
};

// Opens `path` with the open(2) `flags` and O_NONBLOCK, so that opening a FIFO or a device
// cannot block; keeps it only when it is a regular file, then clears O_NONBLOCK again.
// `mode` is for a file created by O_CREAT.
OpenedFile OpenRegularFile(const std::string& path, int flags, unsigned mode = 0644);
