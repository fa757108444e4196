// The wave file as the program reads it: the walk of the RIFF/WAVE header that finds the
// format fields and the start of the sample data. No window code.
#pragma once

#include "base/file_channel.h"

#include <cstddef>
#include <cstdint>
#include <string>

struct WaveHeader {
    // Why a file is refused; None for a file the program handles.
    enum class Failure {
        None,
        Truncated,     // the file ends before the header walk is done
        Channels,      // neither mono nor stereo
        Bits,          // neither 8 nor 16 bits per sample
        NoData,        // no data chunk found by the byte-wise search
        NoFrames,      // fewer than one frame
        BadRate,       // sample rate below 1
        BadBlockAlign, // block align below 1
        TooManyFrames  // more frames than a 32-bit frame count holds
    };

    Failure failure = Failure::None;
    // What the walk saw on its way, to tell the user why a file was refused.
    bool riffWave = false; // "RIFF" at offset 0 and "WAVE" at offset 8
    bool fmtFound = false; // the scan found the "fmt " tag
    std::int64_t fileLength = 0;
    // How far the walk got: the fields up to that point are valid.
    bool channelsRead = false; // channels (and the format tag before it)
    bool formatRead = false;   // sample rate and block align
    bool bitsRead = false;
    bool dataRead = false; // data chunk found and its length read

    std::int16_t formatTag = 0; // 1 PCM, 3 IEEE float, 0xFFFE extensible, ...
    std::int16_t channels = 0;
    std::int32_t sampleRate = 0;
    std::int16_t blockAlign = 0;
    std::int16_t bits = 0;
    std::uint32_t claimedSize = 0; // the data length the header states
    std::int64_t dataSize = 0;     // the data bytes used: the claim, or fewer when the file ends
    std::int64_t dataStart = 0;    // 1-based file position of the first sample byte
    std::int64_t fmtOffset = 0;    // zero-based offset of the "fmt " tag (396 when not found)
};

// Bytes the data search reads at a time (it holds one such window of the file).
constexpr std::size_t kDataSearchWindow = 256 * 1024;

// Walks the header of the file open on `ch` from its start. Never reads past the end of the
// file: a header cut short is refused. The data search goes on while every "d" without "ata"
// is followed by another within 90 bytes, so it ends at the latest with the file; it reads
// the file in windows of `searchWindow` bytes (at least 128).
WaveHeader WalkWaveHeader(FileChannel& ch, std::size_t searchWindow = kDataSearchWindow);

// Why the walk refused the file, in a few words for the user: "cut short", "not a RIFF/WAVE
// file", "24-bit samples: use File > Import...", "3 channels: mono or stereo only", ... Empty
// for a file the walk accepted.
std::string RefusalCause(const WaveHeader& h);

// Frame count: data bytes / block align in double precision, rounded half to even to a
// 32-bit integer. NumberError on overflow.
std::int32_t FrameCount(std::int64_t dataSize, std::int16_t blockAlign);

// The duration values of a file of `frames` frames at `sampleRate` frames per second.
struct WaveDuration {
    float seconds;        // N / rate in single precision
    float shownSeconds;   // rounded to three decimals for the duration line
    std::int32_t wholeMs; // Int(seconds * 1000)
};
WaveDuration DurationOf(std::int32_t frames, std::int32_t sampleRate);

// "Extension: 2.001 seconds"
std::string DurationLine(float shownSeconds);
