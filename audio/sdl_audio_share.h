// One reference-counted share of SDL's audio subsystem, held for the life of the object: the
// output device and the capture device each hold one, so either can open and close alone.
#pragma once

class SdlAudioShare {
  public:
    // Starts the subsystem (or takes another share of it) with the program's own settings: the
    // monitors of the outputs listed among the capture sources, and the program's name and
    // icon on its streams, so the desktop's sound settings show "Tonvexa", not "Audio Stream".
    SdlAudioShare();
    ~SdlAudioShare();
    SdlAudioShare(const SdlAudioShare&) = delete;
    SdlAudioShare& operator=(const SdlAudioShare&) = delete;
    // False when the subsystem could not be started.
    bool Ok() const { return ok_; }

  private:
    bool ok_;
};

// The name the sound server shows for a stream about to open ("Playback", "Recording"); set
// just before a device opens.
void NameNextStream(const char* name);
