// Wave files decoded with libsndfile.
#include "audio_backend.h"

#include <sndfile.h>

#include <sys/stat.h>

namespace {

struct CloseSndFile {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

class SndFile : public SoundFile {
  public:
    SndFile(SNDFILE* f, const SF_INFO& info) : file_(f), info_(info) {}
    int Rate() const override { return info_.samplerate; }
    int Channels() const override { return info_.channels; }
    std::int64_t Frames() const override { return info_.frames; }
    bool Seek(std::int64_t frame) override {
        return sf_seek(file_.get(), frame, SEEK_SET) == frame;
    }
    std::int64_t Read(float* frames, std::int64_t count) override {
        return sf_readf_float(file_.get(), frames, count);
    }

  private:
    std::unique_ptr<SNDFILE, CloseSndFile> file_;
    SF_INFO info_;
};

} // namespace

std::unique_ptr<SoundFile> OpenSoundFile(const std::string& path, SoundFileError& error) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        error = SoundFileError::NotFound;
        return nullptr;
    }
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) {
        error = SoundFileError::Unplayable;
        return nullptr;
    }
    auto file = std::make_unique<SndFile>(f, info);
    if (info.channels < 1 || info.samplerate <= 0 || info.frames < 0 || !info.seekable) {
        error = SoundFileError::Unplayable;
        return nullptr;
    }
    // Integer samples read as floats scale to -1..1 by the full-scale value (32768 for 16 bits).
    sf_command(f, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    error = SoundFileError::None;
    return file;
}
