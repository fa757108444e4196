// File channel 1: 1-based positions, little-endian integers, reads past the end, writes.
#include "tests/support/fixtures.h"

#include "base/file_channel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

namespace {

class Channel : public ::testing::Test {
  protected:
    void SetUp() override {
        path = dir.File("f.bin");
        Bytes b(300);
        std::iota(b.begin(), b.end(), 0); // byte k holds k mod 256
        WriteFile(path, b);
    }
    TempDir dir;
    std::string path;
    FileChannel ch;
};

} // namespace

TEST_F(Channel, ReadsLittleEndianAtOneBasedPositions) {
    ch.Open(path, FileChannel::Mode::BinaryRead);
    EXPECT_EQ(ch.Length(), 300);
    ch.Seek(1);
    EXPECT_EQ(ch.ReadByte(), 0);
    EXPECT_EQ(ch.ReadInt16(), 0x0201);
    EXPECT_EQ(ch.ReadInt32(), 0x06050403);
    EXPECT_EQ(ch.Position(), 8);
    ch.Seek(256);
    EXPECT_EQ(ch.ReadInt16(), static_cast<std::int16_t>(0x00FF)); // bytes 255, 0
    ch.Seek(0x42);
    EXPECT_EQ(ch.ReadText(3), "ABC");
}

TEST_F(Channel, ReadsPastTheEndYieldZeros) {
    ch.Open(path, FileChannel::Mode::BinaryRead);
    ch.Seek(299);
    EXPECT_EQ(ch.ReadInt32(), 0x00002B2A); // bytes 298, 299 (42, 43 mod 256), then zeros
    ch.Seek(100000);
    EXPECT_EQ(ch.ReadInt32(), 0);
    EXPECT_EQ(ch.ReadByte(), 0);
}

TEST_F(Channel, LongSequentialRunsNeedFewSystemCalls) {
    const std::string big = dir.File("big.bin");
    WriteFile(big, Bytes(1 << 20, 7));
    ch.Open(big, FileChannel::Mode::BinaryRead);
    ch.Seek(1);
    for (int i = 0; i < (1 << 19); ++i) {
        ASSERT_EQ(ch.ReadInt16(), 0x0707);
    }
    EXPECT_LT(ch.SystemReads(), 40u);
}

TEST_F(Channel, ScatteredReadsFetchEachPositionAndZerosPastTheEnd) {
    ch.Open(path, FileChannel::Mode::BinaryRead);
    std::vector<std::int64_t> positions;
    for (int p = 1; p <= 3000; p += 3) {
        positions.push_back(p); // more positions than one batch holds past 1024
    }
    std::vector<std::uint8_t> out(positions.size() * 2, 0xEE);
    ch.ReadScattered(positions.data(), positions.size(), 2, out.data());
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const std::int64_t off = positions[i] - 1;
        const int want0 = off < 300 ? static_cast<int>(off % 256) : 0;
        const int want1 = off + 1 < 300 ? static_cast<int>((off + 1) % 256) : 0;
        ASSERT_EQ(out[2 * i], want0) << positions[i];
        ASSERT_EQ(out[2 * i + 1], want1) << positions[i];
    }
    const std::int64_t bad = 0;
    EXPECT_THROW(ch.ReadScattered(&bad, 1, 2, out.data()), FileError);
}

TEST_F(Channel, WritesInPlaceAndCreatesMissingFilesWithoutTruncating) {
    ch.Open(path, FileChannel::Mode::BinaryReadWrite);
    ch.WriteInt16(52, 71);
    ch.WriteByte(108, 57);
    ch.Close();
    const Bytes after = ReadFile(path);
    ASSERT_EQ(after.size(), 300u);
    EXPECT_EQ(after[51], 71);
    EXPECT_EQ(after[52], 0);
    EXPECT_EQ(after[107], 57);
    EXPECT_EQ(after[53], 53);

    const std::string fresh = dir.File("new.mid");
    ch.Open(fresh, FileChannel::Mode::BinaryReadWrite);
    ch.WriteInt16(101, 8);
    ch.Close();
    EXPECT_EQ(ReadFile(fresh).size(), 102u);
}

TEST_F(Channel, MisuseIsAnError) {
    EXPECT_THROW(ch.ReadByte(), FileError); // closed
    EXPECT_THROW(ch.Open(dir.Path(), FileChannel::Mode::BinaryRead), FileError);
    EXPECT_THROW(ch.Open(dir.File("missing"), FileChannel::Mode::BinaryRead), FileError);
    ch.Open(path, FileChannel::Mode::BinaryRead);
    EXPECT_THROW(ch.Open(path, FileChannel::Mode::BinaryRead), FileError); // already open
    EXPECT_THROW(ch.WriteByte(1, 0), FileError);                           // read-only
    EXPECT_THROW(ch.Seek(0), FileError);
    ch.Close();
    ch.Close(); // harmless
}

TEST_F(Channel, NoReaderWaitsOnAFifoSocketOrDevice) {
    const SpecialFiles special(dir);
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : special.Paths()) {
        EXPECT_THROW(ch.Open(path, FileChannel::Mode::BinaryRead), FileError) << path;
        EXPECT_FALSE(ch.IsOpen()) << path;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2))
        << "the channel waited for a writer";
}
