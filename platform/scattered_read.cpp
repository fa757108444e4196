#include "scattered_read.h"

#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>

// A submission ring with its three shared mappings; unusable rings leave `ok` false.
class SubmissionRing {
  public:
    static constexpr unsigned kEntries = 1024;

    SubmissionRing() {
        io_uring_params p{};
        fd_ = static_cast<int>(syscall(__NR_io_uring_setup, kEntries, &p));
        if (fd_ < 0) {
            return;
        }
        sqBytes_ = p.sq_off.array + p.sq_entries * sizeof(unsigned);
        cqBytes_ = p.cq_off.cqes + p.cq_entries * sizeof(io_uring_cqe);
        sqeBytes_ = p.sq_entries * sizeof(io_uring_sqe);
        sq_ = Map(sqBytes_, IORING_OFF_SQ_RING);
        cq_ = Map(cqBytes_, IORING_OFF_CQ_RING);
        sqes_ = static_cast<io_uring_sqe*>(Map(sqeBytes_, IORING_OFF_SQES));
        if (!sq_ || !cq_ || !sqes_) {
            return;
        }
        auto* sq = static_cast<char*>(sq_);
        auto* cq = static_cast<char*>(cq_);
        sqTail_ = reinterpret_cast<std::atomic<unsigned>*>(sq + p.sq_off.tail);
        sqMask_ = *reinterpret_cast<unsigned*>(sq + p.sq_off.ring_mask);
        sqArray_ = reinterpret_cast<unsigned*>(sq + p.sq_off.array);
        cqHead_ = reinterpret_cast<std::atomic<unsigned>*>(cq + p.cq_off.head);
        cqTail_ = reinterpret_cast<std::atomic<unsigned>*>(cq + p.cq_off.tail);
        cqMask_ = *reinterpret_cast<unsigned*>(cq + p.cq_off.ring_mask);
        cqes_ = reinterpret_cast<io_uring_cqe*>(cq + p.cq_off.cqes);
        entries_ = p.sq_entries;
        ok_ = true;
    }

    ~SubmissionRing() {
        if (sqes_) {
            munmap(sqes_, sqeBytes_);
        }
        if (cq_) {
            munmap(cq_, cqBytes_);
        }
        if (sq_) {
            munmap(sq_, sqBytes_);
        }
        if (fd_ >= 0) {
            close(fd_);
        }
    }

    SubmissionRing(const SubmissionRing&) = delete;
    SubmissionRing& operator=(const SubmissionRing&) = delete;

    bool Ok() const { return ok_; }

    // Reads a batch of at most kEntries requests; false when the ring fails.
    bool Batch(int fd, const std::int64_t* offsets, std::size_t n, std::size_t length,
               std::uint8_t* out) {
        unsigned tail = sqTail_->load(std::memory_order_relaxed);
        for (std::size_t i = 0; i < n; ++i, ++tail) {
            const unsigned slot = tail & sqMask_;
            io_uring_sqe* sqe = &sqes_[slot];
            std::memset(sqe, 0, sizeof *sqe);
            sqe->opcode = IORING_OP_READ;
            sqe->fd = fd;
            sqe->off = static_cast<std::uint64_t>(offsets[i]);
            sqe->addr = reinterpret_cast<std::uint64_t>(out + i * length);
            sqe->len = static_cast<std::uint32_t>(length);
            sqe->user_data = i;
            sqArray_[slot] = slot;
        }
        sqTail_->store(tail, std::memory_order_release);
        std::size_t done = 0;
        bool good = true;
        while (done < n) {
            const long r = syscall(__NR_io_uring_enter, fd_, done == 0 ? n : 0, n - done,
                                   IORING_ENTER_GETEVENTS, nullptr, 0);
            if (r < 0 && errno != EINTR) {
                ok_ = false; // the requests already queued are abandoned with the ring
                return false;
            }
            unsigned head = cqHead_->load(std::memory_order_relaxed);
            const unsigned cqTail = cqTail_->load(std::memory_order_acquire);
            for (; head != cqTail; ++head, ++done) {
                const io_uring_cqe& cqe = cqes_[head & cqMask_];
                const std::size_t i = cqe.user_data;
                if (cqe.res < 0) {
                    good = false;
                } else if (static_cast<std::size_t>(cqe.res) < length) {
                    std::memset(out + i * length + cqe.res, 0, length - cqe.res);
                }
            }
            cqHead_->store(head, std::memory_order_release);
        }
        return good;
    }

  private:
    void* Map(std::size_t bytes, long long offset) {
        void* p =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd_, offset);
        return p == MAP_FAILED ? nullptr : p;
    }

    int fd_ = -1;
    bool ok_ = false;
    void* sq_ = nullptr;
    void* cq_ = nullptr;
    io_uring_sqe* sqes_ = nullptr;
    std::size_t sqBytes_ = 0, cqBytes_ = 0, sqeBytes_ = 0;
    std::atomic<unsigned>* sqTail_ = nullptr;
    unsigned* sqArray_ = nullptr;
    unsigned sqMask_ = 0;
    std::atomic<unsigned>* cqHead_ = nullptr;
    std::atomic<unsigned>* cqTail_ = nullptr;
    unsigned cqMask_ = 0;
    io_uring_cqe* cqes_ = nullptr;
    unsigned entries_ = 0;
};

namespace {

bool ReadOneByOne(int fd, const std::int64_t* offsets, std::size_t n, std::size_t length,
                  std::uint8_t* out) {
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t* dst = out + i * length;
        std::size_t got = 0;
        while (got < length) {
            const ssize_t r =
                pread(fd, dst + got, length - got, offsets[i] + static_cast<off_t>(got));
            if (r < 0 && errno == EINTR) {
                continue;
            }
            if (r < 0) {
                return false;
            }
            if (r == 0) {
                break;
            }
            got += static_cast<std::size_t>(r);
        }
        std::memset(dst + got, 0, length - got);
    }
    return true;
}

} // namespace

ScatteredReader::ScatteredReader() = default;
ScatteredReader::~ScatteredReader() = default;

bool ScatteredReader::Read(int fd, const std::int64_t* offsets, std::size_t n, std::size_t length,
                           std::uint8_t* out) {
    if (!ring_)
        ring_ = std::make_unique<SubmissionRing>();
    SubmissionRing* ring = ring_.get();
    for (std::size_t start = 0; start < n; start += SubmissionRing::kEntries) {
        const std::size_t batch = std::min<std::size_t>(SubmissionRing::kEntries, n - start);
        bool good;
        if (ring->Ok()) {
            good = ring->Batch(fd, offsets + start, batch, length, out + start * length);
            if (!good && !ring->Ok()) {
                good = ReadOneByOne(fd, offsets + start, batch, length, out + start * length);
            }
        } else {
            good = ReadOneByOne(fd, offsets + start, batch, length, out + start * length);
        }
        if (!good) {
            return false;
        }
    }
    return true;
}
