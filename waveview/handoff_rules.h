// The samples the "FFT" button hands to the spectrum view: one channel of a block of frames
// read from the wave file. No window code.
#pragma once

#include "base/file_channel.h"

#include <cstdint>
#include <string>
#include <vector>

// How one channel is read out of the frames.
struct ChannelLayout {
    bool sixteenBit = true; // signed 16-bit little-endian samples; else unsigned bytes - 128
    bool stereo = false;    // two samples per frame (otherwise each element is the next sample)
    bool right = false;     // with stereo: the second sample of each frame, else the first
};

// The layout for the view's texts: bits 16 means 16-bit samples, any other value bytes;
// "Stereo" means two samples per frame; `left` is the state of the "Left" option.
ChannelLayout LayoutFor(double bits, const std::string& channelsText, bool left);

// The channel's name in the analysis's description: "Mono", "Left" or "Right".
std::string ChannelName(const ChannelLayout& layout);

// Reads `npont` frames from the current position of `ch` into y[1 .. npont] (y[0] unused),
// one sample of the chosen channel per frame. Reads past the end of the file give zero.
std::vector<double> ReadChannelBlock(FileChannel& ch, std::int32_t npont,
                                     const ChannelLayout& layout);
