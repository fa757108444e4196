// One reference-counted share of SDL's audio subsystem, held for the life of the object: the
// output device and the capture device each hold one, so either can open and close alone.
#pragma once

class SdlAudioShare {
  public:
    SdlAudioShare();
    ~SdlAudioShare();
    SdlAudioShare(const SdlAudioShare&) = delete;
    SdlAudioShare& operator=(const SdlAudioShare&) = delete;
    // False when the subsystem could not be started.
    bool Ok() const { return ok_; }

  private:
    bool ok_;
};
