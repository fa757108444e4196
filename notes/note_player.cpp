#include "note_player.h"

#include "note_file_copy.h"
#include "note_files.h"

#include <vector>

NotePlayer::NotePlayer(AudioEngine& engine, std::string templateFolder, std::string userFolder)
    : templateFolder_(std::move(templateFolder)), userFolder_(std::move(userFolder)),
      piano_(engine), instrument_(engine), keyOn_(kPianoKeyOn), keyOff_(kPianoKeyOff) {
    // The piano player closes itself when its note has ended.
    piano_.Done = [this] { piano_.SetCommand("Close"); };
}

std::string NotePlayer::PianoFile() const {
    return userFolder_ + kPianoNoteFile;
}

std::string NotePlayer::InstrumentFile() const {
    return userFolder_ + kInstrumentNoteFile;
}

bool NotePlayer::PrepareCopy(bool instrument) {
    return instrument ? EnsureNoteFile(templateFolder_ + kInstrumentNoteFile, InstrumentFile(),
                                       kInstrumentKeyOff)
                      : EnsureNoteFile(templateFolder_ + kPianoNoteFile, PianoFile(), kPianoKeyOff);
}

void NotePlayer::Open() {
    PrepareCopy(false);
    PrepareCopy(true);
    for (MMControl* player : {&piano_, &instrument_}) {
        player->SetWait(true);
        player->SetDeviceType("Sequencer");
    }
    piano_.SetFileName(PianoFile());
    instrument_.SetFileName(InstrumentFile());
    inUse_ = 1;
    piano_.SetCommand("Open");
    instrument_.SetCommand("Open");
    piano_.SetNotify(true);
    instrument_.SetNotify(true);
    opened_ = true;
}

void NotePlayer::Close() {
    piano_.SetCommand("Close");
    instrument_.SetCommand("Close");
}

void NotePlayer::UsePiano() {
    inUse_ = 1;
    keyOn_ = kPianoKeyOn;
    keyOff_ = kPianoKeyOff;
}

void NotePlayer::UseInstrument(std::int16_t InstCode) {
    inUse_ = 2;
    // Closing releases the note files (and stops a note that is sounding).
    instrument_.SetCommand("Close");
    piano_.SetCommand("Close");
    if (opened_ && PrepareCopy(true)) {
        // Each program number is written as a little-endian 16-bit value: the program byte
        // and the zero delta time that follows it.
        std::vector<BytePatch> patches;
        for (std::int16_t p = kProgramFirst; p <= kProgramLast; p += kProgramStep) {
            patches.emplace_back(p, static_cast<std::uint8_t>(InstCode & 0xFF));
            patches.emplace_back(p + 1, static_cast<std::uint8_t>((InstCode >> 8) & 0xFF));
        }
        PatchNoteFile(InstrumentFile(), patches);
    }
    keyOn_ = kInstrumentKeyOn;
    keyOff_ = kInstrumentKeyOff;
}

MMControl* NotePlayer::InUse() {
    if (!opened_) {
        return nullptr;
    }
    return inUse_ == 2 ? &instrument_ : &piano_;
}

void NotePlayer::Press() {
    MMControl* player = InUse();
    if (!player) {
        return;
    }
    noteFile_ = player->FileName();
    player->SetCommand("Close");
    if (PrepareCopy(inUse_ == 2) &&
        PatchNoteFile(noteFile_, {{keyOn_, noteCode_}, {keyOff_, noteCode_}})) {
        player->SetCommand("Open");
        player->SetCommand("Play");
    }
}

void NotePlayer::Release() {
    if (MMControl* player = InUse()) {
        player->SetCommand("Stop");
    }
}
