// Feeds arbitrary bytes to the whole load of a wave file apart from the window: the header
// walk, the frame count and duration, and the reads of the drawing through the file channel's
// batched reader, each byte read checked against the file. Each input is loaded as it is, and
// once more as a recording whose data runs on as silence to the length its header claims, so
// that long files and the batched reads are reached too.
#include "waveview/renderer_rules.h"
#include "waveview/wave_reader.h"

#include "base/numbers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kGraphWidth = 9980;                     // client width of the graph, twips
constexpr std::int64_t kLongest = std::int64_t{1} << 32; // longest file made of an input

// One channel for the whole run, so its batched reader keeps its queue as the program's does.
FileChannel channel;

// The byte at zero-based `offset` of a file holding `bytes` and then `length` in all.
std::uint8_t Expected(const std::uint8_t* bytes, std::size_t size, std::int64_t offset) {
    return offset >= 0 && offset < static_cast<std::int64_t>(size)
               ? bytes[static_cast<std::size_t>(offset)]
               : 0;
}

void Check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

// The load of the file open on the channel; the file's bytes are `bytes` followed by zeros.
void Load(const std::uint8_t* bytes, std::size_t size) {
    const WaveHeader h = WalkWaveHeader(channel);
    if (h.failure != WaveHeader::Failure::None) {
        return;
    }
    Check(h.dataSize >= 0 && h.dataSize <= h.claimedSize);
    Check(h.dataStart - 1 + h.dataSize <= channel.Length());
    std::int32_t n = 0;
    try {
        n = FrameCount(h.dataSize, h.blockAlign);
        const WaveDuration d = DurationOf(n, h.sampleRate);
        (void)DurationLine(d.shownSeconds);
    } catch (const num::NumberError&) {
        return; // an overflow is the load's failure path, not a fault
    }
    const int bytesPerFrame = (h.bits == 16 ? 2 : 1) * (h.channels == 2 ? 2 : 1);
    const auto frameBytes = static_cast<std::size_t>(bytesPerFrame);
    std::vector<std::uint8_t> frames;
    std::vector<std::int64_t> positions;
    if (kGraphWidth >= n) {
        // Every frame, read sequentially.
        frames.resize(static_cast<std::size_t>(n) * frameBytes);
        channel.Seek(h.dataStart);
        channel.ReadBytes(frames.data(), frames.size());
        for (std::int32_t i = 0; i < n; ++i) {
            positions.push_back(h.dataStart + static_cast<std::int64_t>(i) * bytesPerFrame);
        }
    } else {
        positions = DecimatedPositions(h.dataStart, n / kGraphWidth, bytesPerFrame);
        frames.resize(positions.size() * frameBytes);
        channel.ReadScattered(positions.data(), positions.size(), frameBytes, frames.data());
    }
    for (std::size_t i = 0; i < positions.size(); ++i) {
        for (std::size_t k = 0; k < frameBytes; ++k) {
            const std::int64_t offset = positions[i] - 1 + static_cast<std::int64_t>(k);
            Check(frames[i * frameBytes + k] == Expected(bytes, size, offset));
        }
    }
}

// One scratch file for the whole run, rewritten for each input. It lives in memory: reading
// the hole of a long recording there costs no page of its own, where a disk's file system
// fills and drops thousands of zeroed pages for every input.
struct ScratchFile {
    ScratchFile() : fd(memfd_create("tonvexa-fuzz-load", MFD_CLOEXEC)) {
        path = "/proc/self/fd/" + std::to_string(fd);
    }
    ~ScratchFile() {
        if (fd >= 0) {
            close(fd);
        }
    }
    int fd = -1;
    std::string path;
};
ScratchFile scratch;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (scratch.fd < 0 || ftruncate(scratch.fd, 0) != 0 ||
        (size > 0 && pwrite(scratch.fd, data, size, 0) != static_cast<ssize_t>(size))) {
        return 0;
    }
    channel.Open(scratch.path, FileChannel::Mode::BinaryRead);
    Load(data, size);
    // The same header over data that runs on to its claimed length as a hole.
    const WaveHeader h = WalkWaveHeader(channel);
    channel.Close();
    if (h.dataRead && h.claimedSize > h.dataSize) {
        const std::int64_t length = std::min(h.dataStart - 1 + h.claimedSize, kLongest);
        if (ftruncate(scratch.fd, static_cast<off_t>(length)) == 0) {
            channel.Open(scratch.path, FileChannel::Mode::BinaryRead);
            Load(data, size);
            channel.Close();
        }
    }
    return 0;
}
