// What the note player asks of a device that plays one note file, and the program's device:
// the toolkit layer's media player as a MIDI sequencer. Tests hand the note player a fake.
// User-interface thread only.
#pragma once

#include "ui/mm_control.h"

#include <memory>
#include <string>

class AudioEngine;

class Sequencer {
  public:
    virtual ~Sequencer() = default;
    // Opens the device on a note file (an open device is closed first).
    virtual void Open(const std::string& file) = 0;
    // Stops any note and releases the file.
    virtual void Close() = 0;
    // Plays the open file from its start; does nothing while closed.
    virtual void Play() = 0;
    // Ends the note that is sounding.
    virtual void Stop() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool IsPlaying() const = 0;
    // The note file last opened.
    virtual std::string FileName() const = 0;
};

// A sequencer on the media player. With `closeWhenDone` it closes itself when its note ends.
class MciSequencer : public Sequencer {
  public:
    MciSequencer(AudioEngine& engine, bool closeWhenDone);
    void Open(const std::string& file) override;
    void Close() override { player_.SetCommand("Close"); }
    void Play() override { player_.SetCommand("Play"); }
    void Stop() override { player_.SetCommand("Stop"); }
    bool IsOpen() const override { return player_.IsOpen(); }
    bool IsPlaying() const override { return player_.IsPlaying(); }
    std::string FileName() const override { return player_.FileName(); }

  private:
    MMControl player_;
};
