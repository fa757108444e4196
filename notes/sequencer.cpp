#include "sequencer.h"

MciSequencer::MciSequencer(AudioEngine& engine, bool closeWhenDone) : player_(engine) {
    player_.SetWait(true);
    player_.SetDeviceType("Sequencer");
    if (closeWhenDone) {
        player_.Done = [this] { player_.SetCommand("Close"); };
    }
}

void MciSequencer::Open(const std::string& file) {
    player_.SetFileName(file);
    player_.SetCommand("Open");
    player_.SetNotify(true);
}
