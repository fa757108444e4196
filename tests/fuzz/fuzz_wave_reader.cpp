// Feeds arbitrary bytes to the wave header walk and the values derived from it.
#include "waveview/wave_reader.h"

#include "base/numbers.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("wave", 0);
    if (fd < 0) {
        return 0;
    }
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return 0;
    }
    FileChannel ch;
    ch.Open("/proc/self/fd/" + std::to_string(fd), FileChannel::Mode::BinaryRead);
    const WaveHeader h = WalkWaveHeader(ch);
    if (h.failure == WaveHeader::Failure::None) {
        try {
            const std::int32_t n = FrameCount(h.dataSize, h.blockAlign);
            const WaveDuration d = DurationOf(n, h.sampleRate);
            (void)DurationLine(d.shownSeconds);
        } catch (const num::NumberError&) {
            // an overflow is the load's failure path, not a fault
        }
    }
    ch.Close();
    close(fd);
    return 0;
}
