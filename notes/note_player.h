// The note player: the two sequencer devices that sound the keyboard's notes, which of them is
// in use, the key to play and where the key and program bytes lie in the note files. The
// spectrum view, the Instrument menu, Compare FFT and the start-up demonstration all go
// through it. User-interface thread only.
#pragma once

#include "notes/sequencer.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class NotePlayer {
  public:
    // The note files' read-only templates lie in `templateFolder`; the copies that are patched
    // and played lie in `userFolder`, made from the templates when missing or damaged. Both
    // devices play on `engine`.
    NotePlayer(AudioEngine& engine, std::string templateFolder, std::string userFolder);
    // The same on two given devices: the piano's and the instrument's.
    NotePlayer(std::unique_ptr<Sequencer> piano, std::unique_ptr<Sequencer> instrument,
               std::string templateFolder, std::string userFolder);
    ~NotePlayer();
    NotePlayer(const NotePlayer&) = delete;
    NotePlayer& operator=(const NotePlayer&) = delete;

    // Where the player says, once, that it plays from private copies because the user's
    // folder cannot hold them, or why the keyboard cannot sound. It is said when the keyboard
    // or the Instrument menu is next used, so that it is seen then.
    void SetNotice(std::function<void(const std::string&)> notice);

    // Opens both devices on their note files and makes the piano the player in use.
    void Open();
    // Closes both devices (a sounding note stops).
    void Close();

    // The keyboard plays the piano note file; nothing is written.
    void UsePiano();
    // Writes the General MIDI program `InstCode` (0..127) into every program change of the
    // instrument note file and makes that file the one in use; both devices are closed first.
    // A file that cannot be written keeps its old program.
    void UseInstrument(std::int16_t InstCode);

    // The key under the mouse: its centre on the keyboard picture (twips) and its MIDI note.
    void SetKeyX(float keyX) { keyX_ = keyX; }
    void SetNoteCode(std::uint8_t noteCode) { noteCode_ = noteCode; }
    float KeyX() const { return keyX_; }
    std::uint8_t NoteCode() const { return noteCode_; }

    // Writes NoteCode into the note file in use and plays it. A file that cannot be written is
    // not played (it would sound another key). Does nothing before Open.
    void Press();
    // Stops the note in use.
    void Release();

    // 1: the piano note file is in use; 2: the instrument note file.
    std::int16_t Instrument() const { return inUse_; }
    // The note file of the device in use, as the last press named it.
    const std::string& NoteFile() const { return noteFile_; }
    // The writable copies: in the user's folder, or private copies in the runtime folder
    // when the user's folder cannot hold them.
    std::string PianoFile() const;
    std::string InstrumentFile() const;

    const Sequencer& PianoPlayer() const { return *piano_; }
    const Sequencer& InstrumentPlayer() const { return *instrument_; }

  private:
    Sequencer* InUse();
    // Makes sure the writable copy of the instrument (or the piano) note file exists and is
    // whole, moving to private copies when the user's folder cannot hold it; false (and the
    // cause told) when no copy can be made.
    bool PrepareCopy(bool instrument);
    // Writes the patches into the copy, moving to private copies when the user's folder
    // refuses the write; false (and the cause told) when no copy takes them.
    bool Patch(bool instrument, const std::vector<std::pair<std::int64_t, std::uint8_t>>& patches);
    // Moves both copies into a private folder of the runtime folder, because of `why`; false
    // when that cannot be made either.
    bool MoveToPrivateCopies(const std::string& why);
    std::string CopyFolder() const;
    // Keeps a notice for the next FlushNotice, which hands it to the listener.
    void Tell(const std::string& text);
    void FlushNotice();

    std::string templateFolder_;
    std::string userFolder_;
    std::string privateFolder_; // empty while the user's folder holds the copies
    std::function<void(const std::string&)> notice_;
    std::string pendingNotice_;
    bool toldPrivate_ = false;
    bool toldSilent_ = false;
    std::unique_ptr<Sequencer> piano_;      // plays the piano note file
    std::unique_ptr<Sequencer> instrument_; // plays the instrument note file
    bool opened_ = false;
    std::int16_t inUse_ = 1;
    std::int16_t keyOn_;
    std::int16_t keyOff_;
    std::uint8_t noteCode_ = 0;
    float keyX_ = 0.0f;
    std::string noteFile_;
};
