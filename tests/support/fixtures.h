// Files for tests: a private temporary folder and byte-built wave files.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
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
