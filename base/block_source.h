// Where a block of samples handed to the analysis came from: named by the waveform view, kept
// by the spectrum view beside the spectrum it gives. A plain value, no toolkit.
#pragma once

#include <string>

struct BlockSource {
    std::string file;     // the wave file's path
    std::string channel;  // "Left", "Right" or "Mono"
    double startSecs = 0; // the selection's start, seconds
    double endSecs = 0;   // the selection's end, seconds
};
