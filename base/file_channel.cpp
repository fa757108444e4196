#include "file_channel.h"

#include "regular_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The failure of a read that the system refused, with errno's text as its cause.
FileError ReadError() {
    const std::string text = std::strerror(errno);
    return FileError("read error: " + text, text);
}

} // namespace

FileChannel::~FileChannel() {
    Close();
}

void FileChannel::UseReadSystem(std::unique_ptr<ReadSystem> system) {
    scattered_.UseSystem(std::move(system));
    bufLen_ = 0;
}

void FileChannel::Open(const std::string& path, Mode mode) {
    if (fd_ >= 0) {
        throw FileError("file already open");
    }
    const int flags = mode == Mode::BinaryRead ? O_RDONLY : (O_RDWR | O_CREAT);
    const OpenedFile f = OpenRegularFile(path, flags | O_CLOEXEC);
    if (f.refusal == OpenedFile::Refusal::CannotOpen) {
        throw FileError("cannot open " + path + ": " + std::strerror(f.error), RefusalCause(f));
    }
    if (f.refusal == OpenedFile::Refusal::NotRegular) {
        throw FileError("not a file: " + path, RefusalCause(f));
    }
    fd_ = f.fd;
    mode_ = mode;
    pos_ = 1;
    bufLen_ = 0;
    chunk_ = kMinChunk;
    lastMissEnd_ = -1;
}

void FileChannel::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    bufLen_ = 0;
}

void FileChannel::RequireOpen() const {
    if (fd_ < 0) {
        throw FileError("bad file number: channel 1 is not open");
    }
}

void FileChannel::Seek(std::int64_t position) {
    RequireOpen();
    if (position < 1) {
        throw FileError("bad record number");
    }
    pos_ = position;
}

std::int64_t FileChannel::Length() const {
    RequireOpen();
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        throw FileError("cannot read the file length");
    }
    return st.st_size;
}

std::time_t FileChannel::ModifiedTime() const {
    RequireOpen();
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        throw FileError("cannot read the file date");
    }
    return st.st_mtime;
}

// Loads the bytes from `offset` into the buffer. Sequential misses double the block read,
// so a long run costs few system calls while scattered reads stay small.
void FileChannel::Fill(std::int64_t offset, std::size_t need) {
    chunk_ = (offset == lastMissEnd_) ? std::min(chunk_ * 2, kMaxChunk) : kMinChunk;
    const std::size_t want = std::max(need, chunk_);
    if (buf_.size() < want) {
        buf_.resize(want);
    }
    std::size_t got = 0;
    while (got < want) {
        const ssize_t n = scattered_.System().Pread(fd_, buf_.data() + got, want - got,
                                                    offset + static_cast<std::int64_t>(got));
        ++systemReads_;
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ReadError();
        }
        if (n == 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    std::memset(buf_.data() + got, 0, want - got); // past the end reads as zero
    bufStart_ = offset;
    bufLen_ = want;
    lastMissEnd_ = offset + static_cast<std::int64_t>(want);
}

void FileChannel::ReadBytes(std::uint8_t* out, std::size_t count) {
    RequireOpen();
    const std::int64_t offset = pos_ - 1;
    if (offset < bufStart_ || offset + static_cast<std::int64_t>(count) >
                                  bufStart_ + static_cast<std::int64_t>(bufLen_)) {
        Fill(offset, count);
    }
    std::memcpy(out, buf_.data() + (offset - bufStart_), count);
    pos_ += static_cast<std::int64_t>(count);
}

void FileChannel::ReadScattered(const std::int64_t* positions, std::size_t n, std::size_t length,
                                std::uint8_t* out) {
    RequireOpen();
    std::vector<std::int64_t> offsets(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (positions[i] < 1) {
            throw FileError("bad record number");
        }
        offsets[i] = positions[i] - 1;
    }
    if (!scattered_.Read(fd_, offsets.data(), n, length, out)) {
        throw ReadError();
    }
    systemReads_ += n;
    if (n > 0) {
        pos_ = positions[n - 1] + static_cast<std::int64_t>(length);
    }
}

std::uint8_t FileChannel::ReadByte() {
    std::uint8_t b = 0;
    ReadBytes(&b, 1);
    return b;
}

std::int16_t FileChannel::ReadInt16() {
    std::uint8_t b[2];
    ReadBytes(b, 2);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(b[0] | (b[1] << 8)));
}

std::int32_t FileChannel::ReadInt32() {
    std::uint8_t b[4];
    ReadBytes(b, 4);
    const std::uint32_t u =
        static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
        (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    return static_cast<std::int32_t>(u);
}

std::string FileChannel::ReadText(int length) {
    std::string s(static_cast<std::size_t>(std::max(0, length)), '\0');
    ReadBytes(reinterpret_cast<std::uint8_t*>(s.data()), s.size());
    return s;
}

void FileChannel::WriteByte(std::int64_t position, std::uint8_t value) {
    RequireOpen();
    if (mode_ != Mode::BinaryReadWrite) {
        throw FileError("bad file mode: channel 1 is open for reading");
    }
    if (position < 1) {
        throw FileError("bad record number");
    }
    ssize_t n;
    while ((n = ::pwrite(fd_, &value, 1, static_cast<off_t>(position - 1))) < 0 && errno == EINTR) {
    }
    if (n != 1) {
        // A write that takes nothing and reports nothing: the disk is full.
        throw FileError(std::string("write error: ") + std::strerror(n < 0 ? errno : ENOSPC));
    }
    bufLen_ = 0; // the buffer may hold the old byte
    pos_ = position + 1;
}

void FileChannel::WriteInt16(std::int64_t position, std::int16_t value) {
    const auto u = static_cast<std::uint16_t>(value);
    WriteByte(position, static_cast<std::uint8_t>(u & 0xFF));
    WriteByte(position + 1, static_cast<std::uint8_t>(u >> 8));
}
