// Batched reads when the kernel refuses, shortens, interrupts or fails them: every byte still
// arrives, nothing is left in flight, and a kernel without the read operation is left alone.
#include "tests/support/fixtures.h"

#include "base/scattered_read.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <limits>
#include <numeric>

namespace {

constexpr std::uint8_t kJunk = 0xAB;

// What the scripted kernel does, and what it saw.
struct Script {
    bool offersQueue = true;
    std::size_t takeAtMost = std::numeric_limits<std::size_t>::max(); // on the first submit
    int interruptedEnters = 0; // the first calls answer -EINTR
    int interruptedPreads = 0; // the first positioned reads answer EINTR
    int failingPreads = 0;     // the positioned reads after those answer EIO
    std::size_t failTag = ~0u; // this request completes with failResult
    std::int64_t failResult = 0;
    std::size_t shortTag = ~0u; // this request completes with one byte only

    std::size_t inFlight = 0;
    int preads = 0;
    bool waitedForTheUnsubmitted = false;
};

// A queue that runs its requests as positioned reads of the real file once they are waited
// for, so its bytes are the file's own.
class ScriptedQueue : public ReadQueue {
  public:
    explicit ScriptedQueue(Script& s) : s_(s) {}
    std::size_t Capacity() const override { return 8; }
    void Queue(int fd, std::int64_t offset, std::uint8_t* dst, std::size_t length,
               std::size_t tag) override {
        queued_.push_back({fd, offset, dst, length, tag});
    }
    long Enter(std::size_t submit, std::size_t wait) override {
        if (s_.interruptedEnters > 0) {
            --s_.interruptedEnters;
            return -EINTR;
        }
        std::size_t take = std::min(submit, queued_.size());
        if (firstSubmit_ && submit > 0) {
            firstSubmit_ = false;
            take = std::min(take, s_.takeAtMost);
        }
        for (std::size_t i = 0; i < take; ++i) {
            flight_.push_back(queued_.front());
            queued_.pop_front();
        }
        s_.inFlight = flight_.size();
        if (take < submit) {
            return take == 0 ? -EAGAIN : static_cast<long>(take); // no wait after a short one
        }
        if (wait > flight_.size() + done_.size()) {
            s_.waitedForTheUnsubmitted = true; // a real kernel would never answer
            return -EINVAL;
        }
        while (!flight_.empty()) {
            const Request r = flight_.front();
            flight_.pop_front();
            std::int64_t result = pread(r.fd, r.dst, r.length, r.offset);
            if (r.tag == s_.failTag) {
                std::memset(r.dst, kJunk, r.length); // what a failed read leaves is no data
                result = s_.failResult;
            } else if (r.tag == s_.shortTag && result > 1) {
                std::memset(r.dst + 1, kJunk, r.length - 1);
                result = 1;
            }
            done_.push_back({r.tag, result});
        }
        s_.inFlight = 0;
        return static_cast<long>(take);
    }
    void Withdraw() override { queued_.clear(); }
    std::size_t Reap(Completion* out, std::size_t max) override {
        std::size_t k = 0;
        for (; k < max && !done_.empty(); ++k) {
            out[k] = done_.front();
            done_.pop_front();
        }
        return k;
    }

  private:
    struct Request {
        int fd;
        std::int64_t offset;
        std::uint8_t* dst;
        std::size_t length;
        std::size_t tag;
    };
    Script& s_;
    bool firstSubmit_ = true;
    std::deque<Request> queued_, flight_;
    std::deque<Completion> done_;
};

class ScriptedSystem : public ReadSystem {
  public:
    explicit ScriptedSystem(Script& s) : s_(s) {}
    std::unique_ptr<ReadQueue> OpenQueue() override {
        return s_.offersQueue ? std::make_unique<ScriptedQueue>(s_) : nullptr;
    }
    ssize_t Pread(int fd, void* buf, std::size_t count, std::int64_t offset) override {
        ++s_.preads;
        if (s_.interruptedPreads > 0) {
            --s_.interruptedPreads;
            errno = EINTR;
            return -1;
        }
        if (s_.failingPreads > 0) {
            --s_.failingPreads;
            errno = EIO;
            return -1;
        }
        return pread(fd, buf, count, offset);
    }

  private:
    Script& s_;
};

class ScatteredRead : public ::testing::Test {
  protected:
    void SetUp() override {
        Bytes b(5000);
        std::iota(b.begin(), b.end(), 0); // byte k holds k mod 256
        WriteFile(dir.File("f.bin"), b);
        fd = open(dir.File("f.bin").c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        for (std::int64_t off = 3; off < 5200; off += 97) {
            offsets.push_back(off); // several batches; the last ones past the end
        }
    }
    void TearDown() override { close(fd); }

    // Reads every offset, two bytes each, and checks each byte against the file.
    void ExpectEveryByteRight(ScatteredReader& reader, const char* name) {
        std::vector<std::uint8_t> out(offsets.size() * 2, 0xEE);
        ASSERT_TRUE(reader.Read(fd, offsets.data(), offsets.size(), 2, out.data())) << name;
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            for (std::size_t k = 0; k < 2; ++k) {
                const std::int64_t off = offsets[i] + static_cast<std::int64_t>(k);
                const int want = off < 5000 ? static_cast<int>(off % 256) : 0;
                ASSERT_EQ(out[2 * i + k], want) << name << " at offset " << off;
            }
        }
    }

    TempDir dir;
    int fd = -1;
    std::vector<std::int64_t> offsets;
};

} // namespace

TEST_F(ScatteredRead, EveryByteArrivesWhateverTheKernelDoes) {
    struct Case {
        const char* name;
        Script script;
        bool queueKept; // the queue is still used afterwards
    };
    auto with = [](auto change) {
        Script s;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"all well", Script{}, true},
        {"request refused as unknown", with([](Script& s) {
             s.failTag = 2;
             s.failResult = -EOPNOTSUPP;
         }),
         false},
        {"request refused as invalid", with([](Script& s) {
             s.failTag = 0;
             s.failResult = -EINVAL;
         }),
         false},
        {"short submission", with([](Script& s) { s.takeAtMost = 3; }), true},
        {"nothing submitted", with([](Script& s) { s.takeAtMost = 0; }), true},
        {"interrupted submission", with([](Script& s) { s.interruptedEnters = 2; }), true},
        {"one read fails", with([](Script& s) {
             s.failTag = 5;
             s.failResult = -EIO;
         }),
         true},
        {"one read comes back short", with([](Script& s) { s.shortTag = 1; }), true},
        {"interrupted positioned reads", with([](Script& s) {
             s.takeAtMost = 1;
             s.interruptedPreads = 3;
         }),
         true},
        {"no queue offered", with([](Script& s) { s.offersQueue = false; }), false},
    };
    for (const Case& c : cases) {
        Script s = c.script;
        ScatteredReader reader(std::make_unique<ScriptedSystem>(s));
        ExpectEveryByteRight(reader, c.name);
        EXPECT_FALSE(s.waitedForTheUnsubmitted) << c.name;
        EXPECT_EQ(s.inFlight, 0u) << c.name << ": a request outlived the read";
        EXPECT_EQ(reader.UsesQueue(), c.queueKept) << c.name;
        // The second round shows whether the queue was given up for good.
        const int preadsBefore = s.preads;
        ExpectEveryByteRight(reader, c.name);
        if (!c.queueKept) {
            EXPECT_GE(s.preads - preadsBefore, static_cast<int>(offsets.size())) << c.name;
        }
    }
}

TEST_F(ScatteredRead, AFailedPositionedReadIsReportedNotHidden) {
    Script s;
    s.offersQueue = false;
    s.failingPreads = 1;
    ScatteredReader reader(std::make_unique<ScriptedSystem>(s));
    std::vector<std::uint8_t> out(offsets.size() * 2);
    errno = 0;
    EXPECT_FALSE(reader.Read(fd, offsets.data(), offsets.size(), 2, out.data()));
    EXPECT_EQ(errno, EIO);
}
