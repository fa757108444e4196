// A wave file's range, then other samples, then the range again, heard as one sound: what
// "Play harmonics" plays, so that its three parts follow each other on one voice without a gap.
// No vendor header.
#pragma once

#include "audio_backend.h"

#include <cstdint>
#include <memory>
#include <vector>

// What to splice into a play of a file's range.
struct WaveSplice {
    std::int32_t fromMs = 0; // the range, ms from the file's start, as a play range takes it
    std::int32_t toMs = 0;
    std::vector<float> insert;   // mono samples, full scale +/- 1, heard on every channel
    std::int32_t insertRate = 0; // samples per second of `insert`: the file's own rate

    // ms of the range and of the insert.
    std::int32_t RangeMs() const { return toMs > fromMs ? toMs - fromMs : 0; }
    std::int32_t InsertMs() const;
    // Where in the file a place `playedMs` into the spliced sound lies: in the range while
    // either copy of it plays, the range's end while the insert plays.
    std::int32_t FileMs(std::int32_t playedMs) const;
};

// The sound of `file`'s range fromMs .. toMs (frames rounded as a play rounds them, within the
// file), then the insert, then the range again, at the file's rate with its channels. Empty
// when the insert's rate is not the file's.
std::unique_ptr<SoundFile> SpliceSound(std::unique_ptr<SoundFile> file, const WaveSplice& splice);
