// Files for tests: a private temporary folder and byte-built wave files.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// A FIFO made at `path`. Should a reader hang on opening it, a writer opens the other end
// every `rescueAfter`, so a test that expected the reader to turn it away fails on time
// instead of hanging.
class Fifo {
  public:
    explicit Fifo(std::string path,
                  std::chrono::milliseconds rescueAfter = std::chrono::milliseconds(3000));
    ~Fifo();
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;

  private:
    std::string path_;
    std::mutex m_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread rescuer_;
};

// Files a reader must turn away at once rather than wait on: a FIFO and a listening socket
// named *.wav in `dir`, and a character device.
class SpecialFiles {
  public:
    explicit SpecialFiles(const TempDir& dir);
    ~SpecialFiles();
    SpecialFiles(const SpecialFiles&) = delete;
    SpecialFiles& operator=(const SpecialFiles&) = delete;
    std::vector<std::string> Paths() const { return {fifoPath_, socketPath_, "/dev/zero"}; }

  private:
    std::string fifoPath_;
    Fifo fifo_;
    std::string socketPath_;
    int socket_;
};

// A value a window only lets others read, made writable for a test that sets up the state the
// window would have reached (a selection, a stretch on show) without driving it there.
template <class T> T& Writable(const T& value) {
    return const_cast<T&>(value);
}

using Bytes = std::vector<std::uint8_t>;

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);

void PutLE16(Bytes& b, int v);
void PutLE32(Bytes& b, std::int64_t v);
void PutText(Bytes& b, const std::string& s);

// A canonical PCM wave file: RIFF header, 16-byte format chunk at offset 12, data chunk at 36.
// sample(frame, channel) gives the sample value (signed for 16-bit, 0..255 for 8-bit).
Bytes MakeWave(int channels, int bits, int rate, int frames,
               const std::function<int(int frame, int channel)>& sample);
