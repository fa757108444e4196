// System calls for a file channel whose reads fail, as a failing disk's do: every read that
// reaches byte `from` (zero-based) or beyond fails with `error` (EIO unless told), the reads
// before it reach the file. There is no kernel queue, so each batched read meets the fault too.
#pragma once

#include "base/scattered_read.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <memory>

class FailingReads : public ReadSystem {
  public:
    explicit FailingReads(std::int64_t from = 0, int error = EIO) : from_(from), error_(error) {}

    std::unique_ptr<ReadQueue> OpenQueue() override { return nullptr; }
    ssize_t Pread(int fd, void* buf, std::size_t count, std::int64_t offset) override {
        if (offset + static_cast<std::int64_t>(count) > from_) {
            errno = error_;
            return -1;
        }
        return ::pread(fd, buf, count, static_cast<off_t>(offset));
    }

  private:
    std::int64_t from_;
    int error_;
};
