// Writing a take as a wave file: 16-bit mono PCM in the canonical layout the program's own
// files use (RIFF header, a 16-byte format chunk at offset 12, the data chunk at offset 36).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The most sample bytes a 16-bit wave file holds for the program's reader, which takes the
// data length as a signed 32-bit number.
constexpr std::int64_t kMaxWave16DataBytes = 0x7FFFFFFF - 44;

// The 44 header bytes of a 16-bit PCM file of `frames` frames of `channels` samples at
// `rate` frames per second.
std::vector<std::uint8_t> WaveHeader16(std::uint32_t frames, std::int32_t rate, int channels);

// The 44 header bytes of a 16-bit mono PCM file of `frames` frames at `rate` frames per
// second.
std::vector<std::uint8_t> WaveHeader16Mono(std::uint32_t frames, std::int32_t rate);

// Writes the file whole or not at all: the bytes go to a temporary name in the target folder,
// reach the disk, and only then take the name `path` (an existing file of that name is
// replaced). The folder must exist. Returns why it failed (with errno's text), empty on
// success.
std::string WriteWave16Mono(const std::string& path, const std::vector<std::int16_t>& samples,
                            std::int32_t rate);
