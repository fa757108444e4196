#include "note_player.h"

#include "note_file_copy.h"
#include "note_files.h"

#include <vector>

// The piano player closes itself when its note has ended.
NotePlayer::NotePlayer(AudioEngine& engine, std::string templateFolder, std::string userFolder)
    : NotePlayer(std::make_unique<MciSequencer>(engine, true),
                 std::make_unique<MciSequencer>(engine, false), std::move(templateFolder),
                 std::move(userFolder)) {}

NotePlayer::NotePlayer(std::unique_ptr<Sequencer> piano, std::unique_ptr<Sequencer> instrument,
                       std::string templateFolder, std::string userFolder)
    : templateFolder_(std::move(templateFolder)), userFolder_(std::move(userFolder)),
      piano_(std::move(piano)), instrument_(std::move(instrument)), keyOn_(kPianoKeyOn),
      keyOff_(kPianoKeyOff) {}

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
    inUse_ = 1;
    piano_->Open(PianoFile());
    instrument_->Open(InstrumentFile());
    opened_ = true;
}

void NotePlayer::Close() {
    piano_->Close();
    instrument_->Close();
}

void NotePlayer::UsePiano() {
    inUse_ = 1;
    keyOn_ = kPianoKeyOn;
    keyOff_ = kPianoKeyOff;
}

void NotePlayer::UseInstrument(std::int16_t InstCode) {
    inUse_ = 2;
    // Closing releases the note files (and stops a note that is sounding).
    instrument_->Close();
    piano_->Close();
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

Sequencer* NotePlayer::InUse() {
    if (!opened_) {
        return nullptr;
    }
    return inUse_ == 2 ? instrument_.get() : piano_.get();
}

void NotePlayer::Press() {
    Sequencer* player = InUse();
    if (!player) {
        return;
    }
    noteFile_ = player->FileName();
    player->Close();
    if (PrepareCopy(inUse_ == 2) &&
        PatchNoteFile(noteFile_, {{keyOn_, noteCode_}, {keyOff_, noteCode_}})) {
        player->Open(noteFile_);
        player->Play();
    }
}

void NotePlayer::Release() {
    if (Sequencer* player = InUse()) {
        player->Stop();
    }
}
