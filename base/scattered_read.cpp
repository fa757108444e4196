#include "scattered_read.h"

#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::int64_t kNotRead = -1;   // a request with no completion (yet)
constexpr int kMaxInterruptions = 1000; // interrupted calls in a row before giving up
constexpr unsigned kRingEntries = 1024; // requests per batch
constexpr unsigned kProbeOps = 256;     // operation slots asked of the kernel's probe

// Errors with which the kernel says it has no such operation: positioned reads for good.
bool IsRefusal(std::int64_t error) {
    return error == -EINVAL || error == -EOPNOTSUPP || error == -ENOSYS;
}

// Errors after which waiting again is right.
bool IsPassing(long error) {
    return error == -EINTR || error == -EAGAIN || error == -EBUSY;
}

// The kernel's submission ring with its three shared mappings.
class Ring : public ReadQueue {
  public:
    // A ring whose kernel supports the plain read operation, or null.
    static std::unique_ptr<Ring> Open() {
        auto ring = std::unique_ptr<Ring>(new Ring());
        if (!ring->Map() || !ring->SupportsRead()) {
            return nullptr;
        }
        return ring;
    }

    ~Ring() override {
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

    Ring(const Ring&) = delete;
    Ring& operator=(const Ring&) = delete;

    std::size_t Capacity() const override { return entries_; }

    void Queue(int fd, std::int64_t offset, std::uint8_t* dst, std::size_t length,
               std::size_t tag) override {
        const unsigned slot = tail_ & sqMask_;
        io_uring_sqe* sqe = &sqes_[slot];
        std::memset(sqe, 0, sizeof *sqe);
        sqe->opcode = IORING_OP_READ;
        sqe->fd = fd;
        sqe->off = static_cast<std::uint64_t>(offset);
        sqe->addr = reinterpret_cast<std::uint64_t>(dst);
        sqe->len = static_cast<std::uint32_t>(length);
        sqe->user_data = tag;
        sqArray_[slot] = slot;
        ++tail_;
        sqTail_->store(tail_, std::memory_order_release);
    }

    long Enter(std::size_t submit, std::size_t wait) override {
        const long r = syscall(__NR_io_uring_enter, fd_, static_cast<unsigned>(submit),
                               static_cast<unsigned>(wait), wait > 0 ? IORING_ENTER_GETEVENTS : 0u,
                               nullptr, 0);
        return r < 0 ? -errno : r;
    }

    void Withdraw() override {
        tail_ = sqHead_->load(std::memory_order_acquire);
        sqTail_->store(tail_, std::memory_order_release);
    }

    std::size_t Reap(Completion* out, std::size_t max) override {
        unsigned head = cqHead_->load(std::memory_order_relaxed);
        const unsigned tail = cqTail_->load(std::memory_order_acquire);
        std::size_t k = 0;
        for (; head != tail && k < max; ++head, ++k) {
            const io_uring_cqe& cqe = cqes_[head & cqMask_];
            out[k] = {static_cast<std::size_t>(cqe.user_data), cqe.res};
        }
        cqHead_->store(head, std::memory_order_release);
        return k;
    }

  private:
    Ring() = default;

    bool Map() {
        io_uring_params p{};
        fd_ = static_cast<int>(syscall(__NR_io_uring_setup, kRingEntries, &p));
        if (fd_ < 0) {
            return false;
        }
        sqBytes_ = p.sq_off.array + p.sq_entries * sizeof(unsigned);
        cqBytes_ = p.cq_off.cqes + p.cq_entries * sizeof(io_uring_cqe);
        sqeBytes_ = p.sq_entries * sizeof(io_uring_sqe);
        sq_ = MapPart(sqBytes_, IORING_OFF_SQ_RING);
        cq_ = MapPart(cqBytes_, IORING_OFF_CQ_RING);
        sqes_ = static_cast<io_uring_sqe*>(MapPart(sqeBytes_, IORING_OFF_SQES));
        if (!sq_ || !cq_ || !sqes_) {
            return false;
        }
        auto* sq = static_cast<char*>(sq_);
        auto* cq = static_cast<char*>(cq_);
        sqHead_ = reinterpret_cast<std::atomic<unsigned>*>(sq + p.sq_off.head);
        sqTail_ = reinterpret_cast<std::atomic<unsigned>*>(sq + p.sq_off.tail);
        sqMask_ = *reinterpret_cast<unsigned*>(sq + p.sq_off.ring_mask);
        sqArray_ = reinterpret_cast<unsigned*>(sq + p.sq_off.array);
        cqHead_ = reinterpret_cast<std::atomic<unsigned>*>(cq + p.cq_off.head);
        cqTail_ = reinterpret_cast<std::atomic<unsigned>*>(cq + p.cq_off.tail);
        cqMask_ = *reinterpret_cast<unsigned*>(cq + p.cq_off.ring_mask);
        cqes_ = reinterpret_cast<io_uring_cqe*>(cq + p.cq_off.cqes);
        tail_ = sqTail_->load(std::memory_order_relaxed);
        entries_ = p.sq_entries;
        return true;
    }

    // Asks the kernel which operations it knows; kernels too old to answer lack the plain
    // read operation too.
    bool SupportsRead() const {
        std::vector<std::uint8_t> buf(sizeof(io_uring_probe) +
                                      kProbeOps * sizeof(io_uring_probe_op));
        auto* probe = reinterpret_cast<io_uring_probe*>(buf.data());
        if (syscall(__NR_io_uring_register, fd_, IORING_REGISTER_PROBE, probe, kProbeOps) < 0) {
            return false;
        }
        return probe->last_op >= IORING_OP_READ &&
               (probe->ops[IORING_OP_READ].flags & IO_URING_OP_SUPPORTED) != 0;
    }

    void* MapPart(std::size_t bytes, long long offset) {
        void* p =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd_, offset);
        return p == MAP_FAILED ? nullptr : p;
    }

    int fd_ = -1;
    void* sq_ = nullptr;
    void* cq_ = nullptr;
    io_uring_sqe* sqes_ = nullptr;
    std::size_t sqBytes_ = 0, cqBytes_ = 0, sqeBytes_ = 0;
    std::atomic<unsigned>* sqHead_ = nullptr;
    std::atomic<unsigned>* sqTail_ = nullptr;
    unsigned* sqArray_ = nullptr;
    unsigned sqMask_ = 0;
    unsigned tail_ = 0;
    std::atomic<unsigned>* cqHead_ = nullptr;
    std::atomic<unsigned>* cqTail_ = nullptr;
    unsigned cqMask_ = 0;
    io_uring_cqe* cqes_ = nullptr;
    unsigned entries_ = 0;
};

class KernelReads : public ReadSystem {
  public:
    std::unique_ptr<ReadQueue> OpenQueue() override { return Ring::Open(); }
    ssize_t Pread(int fd, void* buf, std::size_t count, std::int64_t offset) override {
        return ::pread(fd, buf, count, static_cast<off_t>(offset));
    }
};

} // namespace

std::unique_ptr<ReadSystem> KernelReadSystem() {
    return std::make_unique<KernelReads>();
}

ScatteredReader::ScatteredReader() : ScatteredReader(KernelReadSystem()) {}

ScatteredReader::ScatteredReader(std::unique_ptr<ReadSystem> system) : system_(std::move(system)) {}

ScatteredReader::~ScatteredReader() = default;

void ScatteredReader::UseSystem(std::unique_ptr<ReadSystem> system) {
    queue_.reset(); // the old system's queue goes before the system
    system_ = std::move(system);
    queueTried_ = false;
    queueRefused_ = false;
}

bool ScatteredReader::UsesQueue() const {
    return !queueTried_ || queue_ != nullptr;
}

bool ScatteredReader::Read(int fd, const std::int64_t* offsets, std::size_t n, std::size_t length,
                           std::uint8_t* out) {
    if (!queueTried_) {
        queueTried_ = true;
        queue_ = system_->OpenQueue();
    }
    std::size_t start = 0;
    while (start < n) {
        if (!queue_) {
            for (; start < n; ++start) {
                if (!ReadOne(fd, offsets[start], length, out + start * length)) {
                    return false;
                }
            }
            break;
        }
        const std::size_t batch = std::min(queue_->Capacity(), n - start);
        if (!ReadBatch(fd, offsets + start, batch, length, out + start * length)) {
            return false;
        }
        start += batch;
    }
    return true;
}

bool ScatteredReader::ReadBatch(int fd, const std::int64_t* offsets, std::size_t n,
                                std::size_t length, std::uint8_t* out) {
    // Nothing is in flight here, so the staging memory may move; it only ever grows.
    if (staging_.size() < n * length) {
        staging_.resize(n * length);
    }
    got_.assign(n, kNotRead);
    for (std::size_t i = 0; i < n; ++i) {
        queue_->Queue(fd, offsets[i], staging_.data() + i * length, length, i);
    }

    // Submit everything; an error or a short submission stops submitting.
    std::size_t submitted = 0;
    std::size_t completed = 0;
    int interruptions = 0;
    while (submitted < n) {
        const long r = queue_->Enter(n - submitted, n - completed);
        if (r == -EINTR && ++interruptions < kMaxInterruptions) {
            continue;
        }
        if (r > 0) {
            submitted += static_cast<std::size_t>(r);
            if (submitted < n) {
                break;
            }
            continue;
        }
        queueRefused_ = queueRefused_ || IsRefusal(r);
        break;
    }
    if (submitted < n) {
        queue_->Withdraw();
    }
    if (!Drain(completed, submitted, length)) {
        Abandon();
        for (std::size_t i = 0; i < n; ++i) {
            if (!ReadOne(fd, offsets[i], length, out + i * length)) {
                return false;
            }
        }
        return true;
    }

    // Every request is finished now: copy what the kernel read, read the rest one by one.
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t* dst = out + i * length;
        const std::int64_t got = got_[i];
        const std::size_t have = got > 0 ? std::min(static_cast<std::size_t>(got), length) : 0;
        std::memcpy(dst, staging_.data() + i * length, have);
        if (have < length &&
            !ReadOne(fd, offsets[i] + static_cast<std::int64_t>(have), length - have, dst + have)) {
            return false;
        }
    }
    if (queueRefused_) {
        queue_.reset(); // nothing is in flight
    }
    return true;
}

void ScatteredReader::TakeCompletions(std::size_t& completed, std::size_t length) {
    completions_.resize(std::max<std::size_t>(got_.size(), 1));
    for (;;) {
        const std::size_t k = queue_->Reap(completions_.data(), completions_.size());
        for (std::size_t j = 0; j < k; ++j) {
            const ReadQueue::Completion& c = completions_[j];
            if (c.tag >= got_.size() || got_[c.tag] != kNotRead) {
                continue; // not one of this batch's requests
            }
            ++completed;
            if (c.result < 0) {
                queueRefused_ = queueRefused_ || IsRefusal(c.result);
                got_[c.tag] = 0; // read again one by one
            } else {
                got_[c.tag] = std::min(c.result, static_cast<std::int64_t>(length));
            }
        }
        if (k < completions_.size()) {
            return;
        }
    }
}

bool ScatteredReader::Drain(std::size_t& completed, std::size_t submitted, std::size_t length) {
    int interruptions = 0;
    TakeCompletions(completed, length);
    while (completed < submitted) {
        const long r = queue_->Enter(0, submitted - completed);
        if (r < 0 && !(IsPassing(r) && ++interruptions < kMaxInterruptions)) {
            return false;
        }
        TakeCompletions(completed, length);
    }
    return true;
}

// A queue that stops answering while requests are in flight: its memory is never freed, so
// a late completion cannot write into anything else; positioned reads from then on.
void ScatteredReader::Abandon() {
    static_cast<void>(queue_.release());
    static_cast<void>(new std::vector<std::uint8_t>(std::move(staging_)));
    staging_ = {};
}

bool ScatteredReader::ReadOne(int fd, std::int64_t offset, std::size_t length, std::uint8_t* dst) {
    std::size_t got = 0;
    int interruptions = 0;
    while (got < length) {
        const ssize_t r =
            system_->Pread(fd, dst + got, length - got, offset + static_cast<std::int64_t>(got));
        if (r < 0 && errno == EINTR && ++interruptions < kMaxInterruptions) {
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
    return true;
}
