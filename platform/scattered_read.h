// Many small reads at scattered offsets of one file in few system calls: the kernel's
// submission ring where the system offers it, one positioned read each otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class SubmissionRing;

// Owned by the file channel that reads through it; not thread-safe.
class ScatteredReader {
  public:
    ScatteredReader();
    ~ScatteredReader();
    ScatteredReader(const ScatteredReader&) = delete;
    ScatteredReader& operator=(const ScatteredReader&) = delete;

    // Reads `length` bytes at each of `n` zero-based offsets of the file `fd` into
    // out[i * length ...]; bytes past the end of the file read as zero. Returns false on a
    // read error.
    bool Read(int fd, const std::int64_t* offsets, std::size_t n, std::size_t length,
              std::uint8_t* out);

  private:
    std::unique_ptr<SubmissionRing> ring_; // set up on the first read
};
