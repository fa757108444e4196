#include "fixtures.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tonvexa-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

Fifo::Fifo(std::string path, std::chrono::milliseconds rescueAfter) : path_(std::move(path)) {
    if (mkfifo(path_.c_str(), 0600) != 0) {
        throw std::runtime_error("cannot make the FIFO " + path_);
    }
    rescuer_ = std::thread([this, rescueAfter] {
        std::unique_lock lock(m_);
        while (!done_.wait_for(lock, rescueAfter, [this] { return finished_; })) {
            // Opening both ends never blocks, and releases a reader waiting for a writer.
            const int fd = ::open(path_.c_str(), O_RDWR | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
            }
        }
    });
}

Fifo::~Fifo() {
    {
        std::lock_guard lock(m_);
        finished_ = true;
    }
    done_.notify_one();
    rescuer_.join();
}

SpecialFiles::SpecialFiles(const TempDir& dir)
    : fifoPath_(dir.File("pipe.wav")), fifo_(fifoPath_), socketPath_(dir.File("socket.wav")),
      socket_(socket(AF_UNIX, SOCK_STREAM, 0)) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath_.c_str(), sizeof addr.sun_path - 1);
    if (bind(socket_, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
        throw std::runtime_error("cannot bind " + socketPath_);
    }
}

SpecialFiles::~SpecialFiles() {
    close(socket_);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void PutLE16(Bytes& b, int v) {
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutLE32(Bytes& b, std::int64_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    }
}

void PutText(Bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
}

Bytes MakeWave(int channels, int bits, int rate, int frames,
               const std::function<int(int, int)>& sample) {
    const int blockAlign = channels * bits / 8;
    const std::int64_t dataSize = static_cast<std::int64_t>(frames) * blockAlign;
    Bytes b;
    PutText(b, "RIFF");
    PutLE32(b, 36 + dataSize);
    PutText(b, "WAVE");
    PutText(b, "fmt ");
    PutLE32(b, 16);
    PutLE16(b, 1);
    PutLE16(b, channels);
    PutLE32(b, rate);
    PutLE32(b, static_cast<std::int64_t>(rate) * blockAlign);
    PutLE16(b, blockAlign);
    PutLE16(b, bits);
    PutText(b, "data");
    PutLE32(b, dataSize);
    b.reserve(b.size() + static_cast<std::size_t>(dataSize));
    for (int f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const int v = sample(f, c);
            if (bits == 16) {
                PutLE16(b, v);
            } else {
                b.push_back(static_cast<std::uint8_t>(v));
            }
        }
    }
    return b;
}
