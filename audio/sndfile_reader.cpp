// Wave files decoded with libsndfile.
#include "audio_backend.h"
#include "base/regular_file.h"

#include <sndfile.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

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
        errno = 0;
        const sf_count_t got = sf_readf_float(file_.get(), frames, count);
        const int systemError = errno;
        failure_.clear();
        const int error = sf_error(file_.get());
        if (got < count && error != SF_ERR_NO_ERROR) {
            // A failed read(2) is told by its errno; the library's own text otherwise.
            failure_ = error == SF_ERR_SYSTEM && systemError != 0 ? std::strerror(systemError)
                                                                  : sf_error_number(error);
        }
        return got;
    }
    std::string ReadFailure() const override { return failure_; }

  private:
    std::unique_ptr<SNDFILE, CloseSndFile> file_;
    SF_INFO info_;
    std::string failure_;
};

} // namespace

std::unique_ptr<SoundFile> OpenSoundFile(const std::string& path, SoundFileError& error) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) {
        error = SoundFileError::NotFound;
        return nullptr;
    }
    // Only a regular file is decoded: a FIFO or device would block the open or the reads.
    const OpenedFile opened = OpenRegularFile(path, O_RDONLY | O_CLOEXEC);
    if (opened.refusal != OpenedFile::Refusal::None) {
        error = SoundFileError::Unplayable;
        return nullptr;
    }
    SF_INFO info{};
    // The library owns the descriptor from here and closes it, also when it fails.
    SNDFILE* f = sf_open_fd(opened.fd, SFM_READ, &info, SF_TRUE);
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
