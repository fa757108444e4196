// File channel 1: the program's one binary file channel. Positions are 1-based; integers
// are little-endian; a read past the end of the file yields zero bytes and is no error.
#pragma once

#include "scattered_read.h"

#include <cstdint>
#include <ctime>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
    // A failure whose cause the user can be told in a few words ("no such file").
    FileError(const std::string& what, std::string cause)
        : std::runtime_error(what), cause_(std::move(cause)) {}
    // Empty when the failure has no cause of its own to tell.
    const std::string& Cause() const { return cause_; }

  private:
    std::string cause_;
};

class FileChannel {
  public:
    enum class Mode { BinaryRead, BinaryReadWrite };

    FileChannel() = default;
    ~FileChannel();
    FileChannel(const FileChannel&) = delete;
    FileChannel& operator=(const FileChannel&) = delete;

    // Opens a file; ReadWrite creates a missing file and never truncates. FileError when the
    // channel is already open, or the path cannot be opened or is no regular file (a FIFO,
    // socket or device is turned away at once, without waiting for a writer); the error's
    // Cause() then says why in a few words.
    void Open(const std::string& path, Mode mode);
    // Closes the channel; harmless when closed.
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    // Moves the current position (1-based).
    void Seek(std::int64_t position);
    std::int64_t Position() const { return pos_; }
    std::int64_t Length() const;
    // Last-modification time of the open file.
    std::time_t ModifiedTime() const;

    // Reads at the current position and advances it.
    std::uint8_t ReadByte();
    std::int16_t ReadInt16();
    std::int32_t ReadInt32();
    std::string ReadText(int length);
    // Reads `count` bytes at the current position into `out` (zeros past the end).
    void ReadBytes(std::uint8_t* out, std::size_t count);

    // Reads `length` bytes at each of `n` 1-based positions into out[i * length ...], in as
    // few system calls as the system allows (zeros past the end). The current position
    // then lies after the last read.
    void ReadScattered(const std::int64_t* positions, std::size_t n, std::size_t length,
                       std::uint8_t* out);

    // Writes at a 1-based position and leaves the current position after the bytes.
    void WriteByte(std::int64_t position, std::uint8_t value);
    void WriteInt16(std::int64_t position, std::int16_t value);

    // How many read calls reached the operating system (for tests and benchmarks).
    std::uint64_t SystemReads() const { return systemReads_; }
    // Puts other system calls behind every read (tests inject read failures this way); the
    // bytes buffered so far are dropped. A failed read throws FileError, whose Cause() is
    // errno's text ("Input/output error").
    void UseReadSystem(std::unique_ptr<ReadSystem> system);

  private:
    void RequireOpen() const;
    void Fill(std::int64_t offset, std::size_t need);

    int fd_ = -1;
    Mode mode_ = Mode::BinaryRead;
    std::int64_t pos_ = 1;
    // Read buffer: bytes of the file from offset bufStart_; grows while reads run sequentially.
    std::vector<std::uint8_t> buf_;
    std::int64_t bufStart_ = 0;
    std::size_t bufLen_ = 0;
    std::size_t chunk_ = kMinChunk;
    std::int64_t lastMissEnd_ = -1;
    std::uint64_t systemReads_ = 0;
    ScatteredReader scattered_;

    static constexpr std::size_t kMinChunk = 64;
    static constexpr std::size_t kMaxChunk = 64 * 1024;
};
