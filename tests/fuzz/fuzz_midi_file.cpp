// Feeds arbitrary bytes to the reader of the note files.
#include "base/midi_file.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const MidiBytes bytes(data, data + size);
    const std::optional<MidiFileInfo> info = ReadMidiFileInfo(bytes);
    if (info && (!std::isfinite(info->seconds) || info->seconds < 0 || info->tracks < 0)) {
        std::abort();
    }
    return 0;
}
