#include "spliced_sound.h"

#include <algorithm>
#include <cmath>

namespace {

class SplicedSound : public SoundFile {
  public:
    SplicedSound(std::unique_ptr<SoundFile> file, std::int64_t first, std::int64_t count,
                 std::vector<float> insert)
        : file_(std::move(file)), first_(first), count_(count), insert_(std::move(insert)) {}

    int Rate() const override { return file_->Rate(); }
    int Channels() const override { return file_->Channels(); }
    std::int64_t Frames() const override {
        return 2 * count_ + static_cast<std::int64_t>(insert_.size());
    }
    bool Seek(std::int64_t frame) override {
        if (frame < 0 || frame > Frames()) {
            return false;
        }
        pos_ = frame;
        fileAt_ = -1;
        return true;
    }
    std::int64_t Read(float* frames, std::int64_t count) override {
        const int channels = Channels();
        const auto inserted = static_cast<std::int64_t>(insert_.size());
        std::int64_t done = 0;
        while (done < count && pos_ < Frames()) {
            float* out = frames + done * channels;
            std::int64_t n = 0;
            if (pos_ >= count_ && pos_ < count_ + inserted) {
                n = std::min(count - done, count_ + inserted - pos_);
                for (std::int64_t i = 0; i < n; ++i) {
                    std::fill_n(out + i * channels, channels,
                                insert_[static_cast<std::size_t>(pos_ - count_ + i)]);
                }
            } else {
                const bool second = pos_ >= count_;
                const std::int64_t at = second ? pos_ - count_ - inserted : pos_;
                if (fileAt_ != first_ + at && !file_->Seek(first_ + at)) {
                    break;
                }
                const std::int64_t want = std::min(count - done, count_ - at);
                n = file_->Read(out, want);
                if (n <= 0) {
                    break;
                }
                fileAt_ = first_ + at + n;
            }
            pos_ += n;
            done += n;
        }
        return done;
    }
    // A read of the file that failed cut the sound short.
    std::string ReadFailure() const override { return file_->ReadFailure(); }

  private:
    std::unique_ptr<SoundFile> file_;
    std::int64_t first_; // the range's first frame in the file
    std::int64_t count_; // its frames
    std::vector<float> insert_;
    std::int64_t pos_ = 0;     // frame of the spliced sound read next
    std::int64_t fileAt_ = -1; // frame the file reads next; -1: unknown
};

} // namespace

std::int32_t WaveSplice::InsertMs() const {
    if (insertRate <= 0) {
        return 0;
    }
    return static_cast<std::int32_t>(static_cast<std::int64_t>(insert.size()) * 1000 / insertRate);
}

std::int32_t WaveSplice::FileMs(std::int32_t playedMs) const {
    const std::int32_t range = RangeMs();
    const std::int32_t inserted = InsertMs();
    if (playedMs < range) {
        return fromMs + std::max(playedMs, 0);
    }
    if (playedMs < range + inserted) {
        return toMs;
    }
    return fromMs + std::min(playedMs - range - inserted, range);
}

std::unique_ptr<SoundFile> SpliceSound(std::unique_ptr<SoundFile> file, const WaveSplice& splice) {
    if (!file || splice.insertRate != file->Rate()) {
        return nullptr;
    }
    // The range's frames as a play of it takes them.
    const double rate = file->Rate();
    const auto frame = [&](std::int32_t ms) {
        return std::clamp<std::int64_t>(std::llround(ms * rate / 1000.0), 0, file->Frames());
    };
    const std::int64_t first = frame(splice.fromMs);
    const std::int64_t end = std::max(first, frame(splice.toMs));
    return std::make_unique<SplicedSound>(std::move(file), first, end - first, splice.insert);
}
