// File > Import...'s conversion with libsndfile, resampled by the engine's rate converter.
#include "sound_import.h"

#include "audio_backend.h"
#include "base/atomic_file.h"
#include "base/numbers.h"
#include "base/regular_file.h"
#include "base/wave_writer.h"

#include <sndfile.h>

#include <fcntl.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr int kMostChannels = 2;
constexpr int kBytesPerSample = 2;
constexpr float kFullScale = 32768.0f; // libsndfile's float for a 16-bit sample is s / 32768

struct CloseSndFile {
    void operator()(SNDFILE* f) const { sf_close(f); }
};

// -1 .. 1 to a 16-bit sample, rounded, clipped at full scale; a 16-bit source comes back exact.
// A float file's NaN, which has no level, becomes silence.
std::int16_t ToSample(float x) {
    if (std::isnan(x)) {
        return 0;
    }
    const float scaled = std::nearbyint(x * kFullScale);
    return static_cast<std::int16_t>(std::clamp(scaled, -kFullScale, kFullScale - 1.0f));
}

// The copy's frame count for a source of `frames` frames: at most what resampling makes of it.
std::int64_t CopyFrames(std::int64_t frames, int fromRate, int toRate) {
    return fromRate == toRate ? frames : frames * toRate / fromRate + 1;
}

std::string MajorFormatName(SNDFILE* f, int format) {
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_TYPEMASK;
    if (sf_command(f, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || !info.name) {
        return "sound";
    }
    return info.name;
}

} // namespace

struct SoundImport::Impl {
    std::unique_ptr<SNDFILE, CloseSndFile> file;
    SF_INFO info{};
    std::string format;
    int rate = 0;
    std::unique_ptr<Resampler> converter; // only when the rate changes
    AtomicFile copy;
    bool writing = false;
    std::int64_t framesRead = 0;
    std::int64_t framesWritten = 0;
    std::vector<float> in;
    std::vector<float> out;
    std::vector<std::uint8_t> bytes;

    // Writes `frames` converted frames of `samples`. Empty on success, else why.
    std::string Put(const float* samples, std::int64_t frames) {
        const int channels = info.channels;
        if ((framesWritten + frames) * channels * kBytesPerSample > kMaxWave16DataBytes) {
            return "the copy would be longer than a 16-bit wave file can hold";
        }
        bytes.resize(static_cast<std::size_t>(frames * channels * kBytesPerSample));
        for (std::int64_t i = 0; i < frames * channels; ++i) {
            const auto v = static_cast<std::uint16_t>(ToSample(samples[i]));
            bytes[static_cast<std::size_t>(2 * i)] = static_cast<std::uint8_t>(v & 0xFF);
            bytes[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::uint8_t>(v >> 8);
        }
        framesWritten += frames;
        return copy.Write(bytes);
    }

    // Takes what the converter holds into the copy, up to `last` frames in all.
    std::string Drain(std::int64_t last = std::numeric_limits<std::int64_t>::max()) {
        while (framesWritten < last) {
            const int got = converter->Get(out.data(), static_cast<int>(kImportBlockFrames));
            if (got <= 0) {
                return {};
            }
            if (std::string why =
                    Put(out.data(), std::min<std::int64_t>(got, last - framesWritten));
                !why.empty()) {
                return why;
            }
        }
        return {};
    }

    // The end of a resampled sound. The converter holds back the last frames it was given
    // until more follow, even when flushed: silence after the end pushes them through, and the
    // copy ends where the sound ends at the new rate.
    std::string DrainTail() {
        const std::int64_t last = std::llround(static_cast<double>(framesRead) * rate /
                                               static_cast<double>(info.samplerate));
        std::fill(in.begin(), in.end(), 0.0f);
        if (!converter->Put(in.data(), static_cast<int>(kImportBlockFrames))) {
            return "the rate conversion failed";
        }
        converter->Flush();
        return Drain(last);
    }

    // The header with the real frame count, then the name.
    std::string Complete() {
        const std::vector<std::uint8_t> header =
            WaveHeader16(static_cast<std::uint32_t>(framesWritten), rate, info.channels);
        std::string why = copy.WriteAt(0, header);
        if (why.empty()) {
            why = copy.Commit();
        }
        return why;
    }
};

SoundImport::SoundImport(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

SoundImport::~SoundImport() = default;

std::unique_ptr<SoundImport> SoundImport::Open(const std::string& source, std::string& why) {
    // Only a regular file is read: a FIFO or a device would block the open or the reads.
    const OpenedFile opened = OpenRegularFile(source, O_RDONLY | O_CLOEXEC);
    if (opened.refusal != OpenedFile::Refusal::None) {
        why = RefusalCause(opened);
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    // The library owns the descriptor from here and closes it, also when it fails.
    impl->file.reset(sf_open_fd(opened.fd, SFM_READ, &impl->info, SF_TRUE));
    if (!impl->file) {
        why = std::string("libsndfile cannot read it: ") + sf_strerror(nullptr);
        return nullptr;
    }
    const SF_INFO& info = impl->info;
    if (info.channels < 1 || info.channels > kMostChannels) {
        why = num::IntText(info.channels) + " channels: mono or stereo only";
        return nullptr;
    }
    if (info.samplerate <= 0) {
        why = "a sample rate of " + num::IntText(info.samplerate) + " Hz";
        return nullptr;
    }
    if (info.frames > kImportLongestFrames) {
        why = "longer than 2^31 frames";
        return nullptr;
    }
    if (info.frames <= 0) {
        why = "no sound in it";
        return nullptr;
    }
    impl->rate = std::min(info.samplerate, kImportHighestRate);
    if (CopyFrames(info.frames, info.samplerate, impl->rate) * info.channels * kBytesPerSample >
        kMaxWave16DataBytes) {
        why = "too long for a 16-bit wave file";
        return nullptr;
    }
    if (impl->rate != info.samplerate) {
        impl->converter = MakeRateConverter(info.channels, info.samplerate, impl->rate);
        if (!impl->converter) {
            why = "cannot convert " + num::IntText(info.samplerate) + " Hz to " +
                  num::IntText(impl->rate) + " Hz";
            return nullptr;
        }
    }
    // Integer samples read as floats scale to -1 .. 1 by their full-scale value.
    sf_command(impl->file.get(), SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    impl->format = MajorFormatName(impl->file.get(), info.format);
    impl->in.resize(static_cast<std::size_t>(kImportBlockFrames * info.channels));
    impl->out.resize(static_cast<std::size_t>(kImportBlockFrames * info.channels));
    return std::unique_ptr<SoundImport>(new SoundImport(std::move(impl)));
}

int SoundImport::SourceRate() const {
    return impl_->info.samplerate;
}
int SoundImport::Channels() const {
    return impl_->info.channels;
}
std::int64_t SoundImport::SourceFrames() const {
    return impl_->info.frames;
}
const std::string& SoundImport::FormatName() const {
    return impl_->format;
}
int SoundImport::Rate() const {
    return impl_->rate;
}
std::int64_t SoundImport::FramesWritten() const {
    return impl_->framesWritten;
}

double SoundImport::Fraction() const {
    return std::min(1.0, static_cast<double>(impl_->framesRead) /
                             static_cast<double>(impl_->info.frames));
}

std::string SoundImport::Begin(const std::string& target) {
    Impl& m = *impl_;
    std::string why = m.copy.Open(target);
    if (why.empty()) {
        // A header for now; the one with the real length replaces it at the end.
        why = m.copy.Write(WaveHeader16(0, m.rate, m.info.channels));
    }
    m.writing = why.empty();
    return why;
}

SoundImport::Step SoundImport::Next(std::string& why) {
    Impl& m = *impl_;
    if (!m.writing) {
        why = "the copy was not started";
        return Step::Failed;
    }
    const sf_count_t got = sf_readf_float(m.file.get(), m.in.data(), kImportBlockFrames);
    if (got < 0 || (got == 0 && sf_error(m.file.get()) != SF_ERR_NO_ERROR)) {
        why = std::string("libsndfile cannot read it: ") + sf_strerror(m.file.get());
    } else if (got > 0) {
        m.framesRead += got;
        if (!m.converter) {
            why = m.Put(m.in.data(), got);
        } else if (!m.converter->Put(m.in.data(), static_cast<int>(got))) {
            why = "the rate conversion failed";
        } else {
            why = m.Drain();
        }
        if (why.empty()) {
            return Step::Working;
        }
    } else {
        // The end of the sound: what the converter still holds, then the header and the name.
        if (m.converter) {
            why = m.DrainTail();
        }
        if (why.empty()) {
            why = m.Complete();
        }
        m.writing = false;
        if (why.empty()) {
            return Step::Finished;
        }
    }
    Abandon();
    return Step::Failed;
}

void SoundImport::Abandon() {
    impl_->copy.Abandon();
    impl_->writing = false;
}
