// Many small reads at scattered offsets of one file in few system calls: the kernel's
// submission ring where the system offers it, one positioned read each otherwise.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// The kernel's queue of read requests as the batched reader uses it.
class ReadQueue {
  public:
    struct Completion {
        std::size_t tag;
        std::int64_t result; // bytes read, or -errno
    };

    virtual ~ReadQueue() = default;
    // How many requests may be queued at once.
    virtual std::size_t Capacity() const = 0;
    // Queues a read of `length` bytes at zero-based `offset` of `fd` into `dst`.
    virtual void Queue(int fd, std::int64_t offset, std::uint8_t* dst, std::size_t length,
                       std::size_t tag) = 0;
    // Hands up to `submit` queued requests to the kernel, then (when all were taken) waits
    // until `wait` completions have arrived. Returns how many requests the kernel took, which
    // may be fewer than asked, or -errno when it took none. Never assume the wait happened.
    virtual long Enter(std::size_t submit, std::size_t wait) = 0;
    // Takes back the queued requests that the kernel has not taken.
    virtual void Withdraw() = 0;
    // Moves the completions that have arrived, at most `max`, to `out`; returns how many.
    virtual std::size_t Reap(Completion* out, std::size_t max) = 0;
};

// The system calls behind the batched reads: the kernel's by default, scripted in tests.
class ReadSystem {
  public:
    virtual ~ReadSystem() = default;
    // A queue on which the kernel supports the plain read operation, or null.
    virtual std::unique_ptr<ReadQueue> OpenQueue() = 0;
    // pread(2): bytes read, 0 at the end of the file, -1 with errno on failure.
    virtual ssize_t Pread(int fd, void* buf, std::size_t count, std::int64_t offset) = 0;
};

// The operating system's own calls.
std::unique_ptr<ReadSystem> KernelReadSystem();

// Batched reads at scattered offsets of a file. The kernel's queue is set up on first use;
// every request it refuses, cuts short or fails is finished with a positioned read, and a
// kernel without the read operation is left for positioned reads for good. Requests only
// ever write into the reader's own staging memory, which is not freed while one is in
// flight. Not thread-safe: one owner (a file channel) uses it.
class ScatteredReader {
  public:
    ScatteredReader();
    explicit ScatteredReader(std::unique_ptr<ReadSystem> system);
    ~ScatteredReader();
    ScatteredReader(const ScatteredReader&) = delete;
    ScatteredReader& operator=(const ScatteredReader&) = delete;

    // Reads `length` bytes at each of `n` zero-based offsets of `fd` into out[i * length ...];
    // bytes past the end of the file read as zero. False on a read error (errno tells which).
    bool Read(int fd, const std::int64_t* offsets, std::size_t n, std::size_t length,
              std::uint8_t* out);

    // Whether batches still go through the kernel's queue (false once it was given up).
    bool UsesQueue() const;

    // The system calls behind the reads; the file channel's plain reads use them too.
    ReadSystem& System() { return *system_; }
    // Puts other system calls in their place (tests inject failures); the queue is set up
    // again on the next batch. Only while no batch is being read.
    void UseSystem(std::unique_ptr<ReadSystem> system);

  private:
    // Reads one batch of at most the queue's capacity through the queue; false when the
    // batch could not be finished.
    bool ReadBatch(int fd, const std::int64_t* offsets, std::size_t n, std::size_t length,
                   std::uint8_t* out);
    // Waits for every request in flight; false when the kernel stops answering.
    bool Drain(std::size_t& completed, std::size_t submitted, std::size_t length);
    void TakeCompletions(std::size_t& completed, std::size_t length);
    bool ReadOne(int fd, std::int64_t offset, std::size_t length, std::uint8_t* dst);
    void Abandon();

    std::unique_ptr<ReadSystem> system_;
    std::unique_ptr<ReadQueue> queue_;
    bool queueTried_ = false;
    bool queueRefused_ = false; // a refusal seen in this batch: positioned reads for good
    std::vector<std::uint8_t> staging_;
    std::vector<std::int64_t> got_; // per request of the batch: bytes read, -errno, or -1 unset
    std::vector<ReadQueue::Completion> completions_;
};
