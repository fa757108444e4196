#include "note_player.h"

#include "note_file_copy.h"
#include "note_files.h"

#include <cstdlib>
#include <filesystem>

#include <stdlib.h>

namespace {

// The folder for copies that live only as long as the program: the user's runtime folder,
// else the temporary folder.
std::string RuntimeFolder() {
    std::error_code ec;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && *runtime && std::filesystem::is_directory(runtime, ec)) {
        return runtime;
    }
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : temp.string();
}

} // namespace

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

NotePlayer::~NotePlayer() {
    if (!privateFolder_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(privateFolder_, ec);
    }
}

void NotePlayer::SetNotice(std::function<void(const std::string&)> notice) {
    notice_ = std::move(notice);
}

void NotePlayer::Tell(const std::string& text) {
    pendingNotice_ = text;
}

void NotePlayer::FlushNotice() {
    if (notice_ && !pendingNotice_.empty()) {
        notice_(std::exchange(pendingNotice_, {}));
    }
}

std::string NotePlayer::CopyFolder() const {
    return privateFolder_.empty() ? userFolder_ : privateFolder_;
}

std::string NotePlayer::PianoFile() const {
    return CopyFolder() + kPianoNoteFile;
}

std::string NotePlayer::InstrumentFile() const {
    return CopyFolder() + kInstrumentNoteFile;
}

bool NotePlayer::MoveToPrivateCopies(const std::string& why) {
    if (privateFolder_.empty()) {
        std::string pattern = RuntimeFolder() + "/tonvexa-notes-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            return false;
        }
        privateFolder_ = pattern;
    }
    // A whole copy in the user's folder carries the instrument chosen before; it is played
    // on for this run.
    const bool made = EnsureNoteFile(templateFolder_ + kPianoNoteFile, PianoFile(), PianoLayout(),
                                     userFolder_ + kPianoNoteFile)
                          .empty() &&
                      EnsureNoteFile(templateFolder_ + kInstrumentNoteFile, InstrumentFile(),
                                     InstrumentLayout(), userFolder_ + kInstrumentNoteFile)
                          .empty();
    if (made && !toldPrivate_) {
        toldPrivate_ = true;
        Tell("The keyboard plays private copies of its note files; the instrument choice will "
             "not be kept (" +
             why + ")");
    }
    return made;
}

bool NotePlayer::PrepareCopy(bool instrument) {
    const std::string file = instrument ? InstrumentFile() : PianoFile();
    const std::string why =
        EnsureNoteFile(templateFolder_ + (instrument ? kInstrumentNoteFile : kPianoNoteFile), file,
                       instrument ? InstrumentLayout() : PianoLayout());
    if (why.empty()) {
        return true;
    }
    if (privateFolder_.empty() && MoveToPrivateCopies(why)) {
        return true;
    }
    if (!toldSilent_) {
        toldSilent_ = true;
        Tell("The keyboard cannot sound: " + why);
    }
    return false;
}

bool NotePlayer::Patch(bool instrument,
                       const std::vector<std::pair<std::int64_t, std::uint8_t>>& patches) {
    std::string why = PatchNoteFile(instrument ? InstrumentFile() : PianoFile(), patches);
    if (why.empty()) {
        return true;
    }
    if (privateFolder_.empty() && MoveToPrivateCopies(why)) {
        why = PatchNoteFile(instrument ? InstrumentFile() : PianoFile(), patches);
        if (why.empty()) {
            return true;
        }
    }
    if (!toldSilent_) {
        toldSilent_ = true;
        Tell("The keyboard cannot sound: " + why);
    }
    return false;
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
        Patch(true, patches);
    }
    keyOn_ = kInstrumentKeyOn;
    keyOff_ = kInstrumentKeyOff;
    FlushNotice();
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
    const bool instrument = inUse_ == 2;
    noteFile_ = player->FileName();
    player->Close();
    if (PrepareCopy(instrument) && Patch(instrument, {{keyOn_, noteCode_}, {keyOff_, noteCode_}})) {
        // The copy may have moved to the private folder on the way.
        noteFile_ = instrument ? InstrumentFile() : PianoFile();
        player->Open(noteFile_);
        player->Play();
    }
    FlushNotice();
}

void NotePlayer::Release() {
    if (Sequencer* player = InUse()) {
        player->Stop();
    }
}
