// File > Import...'s conversion: a sound file in any format libsndfile reads (wave files of any
// sample size, FLAC, Ogg/Vorbis, AIFF, ...) streamed, a block at a time, into a 16-bit PCM wave
// file the program's own reader opens. The channels are kept, a rate above 48 kHz is brought
// down to 48 kHz, and nothing is cut. The copy is written under a temporary name beside its
// target and takes its name only when it is complete, so a failure or a cancel leaves nothing.
// No toolkit; one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The highest rate a copy keeps; faster files are resampled to it, frames per second.
constexpr int kImportHighestRate = 48000;
// The longest file imported, frames.
constexpr std::int64_t kImportLongestFrames = std::int64_t{1} << 31;
// Source frames converted by one step.
constexpr std::int64_t kImportBlockFrames = 16384;

class SoundImport {
  public:
    ~SoundImport();
    SoundImport(const SoundImport&) = delete;
    SoundImport& operator=(const SoundImport&) = delete;

    // Opens `source` and checks that it can be imported. Empty, with the reason in `why`, when
    // not: libsndfile's own words for a file it cannot read, or why the program refuses it
    // (more than two channels, longer than 2^31 frames).
    static std::unique_ptr<SoundImport> Open(const std::string& source, std::string& why);

    int SourceRate() const;
    int Channels() const;
    std::int64_t SourceFrames() const;
    // The format as libsndfile names it ("FLAC (Free Lossless Audio Codec)").
    const std::string& FormatName() const;
    // The copy's rate: the source's, or kImportHighestRate when the source's is higher.
    int Rate() const;

    // Starts the copy at `target`, whose folder must exist. Empty on success, else why.
    std::string Begin(const std::string& target);

    enum class Step { Working, Finished, Failed };
    // Converts the next block; at the end completes the header and gives the copy its name.
    // Failed leaves no file behind and puts the reason into `why`.
    Step Next(std::string& why);
    // How far the conversion has got, 0 .. 1.
    double Fraction() const;
    // Frames written to the copy so far.
    std::int64_t FramesWritten() const;
    // Stops and removes the unfinished copy.
    void Abandon();

  private:
    struct Impl;
    explicit SoundImport(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};
