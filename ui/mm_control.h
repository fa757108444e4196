// The multimedia player: plays a wave file ("WaveAudio") or a Standard MIDI File
// ("Sequencer") on the audio engine it is given, which must outlive it. User-interface thread
// only.
//
// Commands (SetCommand, case ignored): "Open" opens the file named by FileName (an open
// device is closed first); "Play" returns at once (wave audio plays From..To, where To <= From
// or To past the end means to the end of the file; a sequencer plays its file from the
// start); "Pause" pauses, or resumes when paused; "Stop" ends the play; "Close" stops any
// sound, releases the file and raises nothing. Every command but "Open" does nothing, and
// raises nothing, while the device is closed; a "Close" drops notifications still queued.
//
// Done is raised once for every play that ends, whether it reached its end, was stopped, or
// was replaced by a new "Play". It arrives as a queued event of the user-interface loop, never
// inside the call that caused it. StatusUpdate is raised every UpdateInterval ms while the
// interval is above 0 and the device is open. Position counts the frames the sound device has
// really taken, never a wall clock.
//
// Wait, Notify and Shareable are kept for the caller and change nothing: every command has
// finished when the call returns except "Play", which never blocks the user interface, and
// Done is raised whatever Notify says. Positions are in milliseconds whatever TimeFormat is.
#pragma once

#include "audio/spliced_sound.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class AudioEngine;
class QObject;
class QTimer;
class QWidget;
class Voice;

class MMControl {
  public:
    // Error numbers (Error()), after the multimedia control's own.
    static constexpr std::int16_t kNoError = 0;
    static constexpr std::int16_t kErrUnrecognizedCommand = 261;
    static constexpr std::int16_t kErrHardware = 262;          // no output device, not even silent
    static constexpr std::int16_t kErrInvalidDeviceName = 263; // device type not known
    static constexpr std::int16_t kErrTooManyDevices = 264;    // the engine mixes at most 16
    static constexpr std::int16_t kErrFileNotFound = 275;
    static constexpr std::int16_t kErrInvalidFile = 304;   // not a file this device can play
    static constexpr std::int16_t kErrNoMidiPresent = 343; // no General MIDI SoundFont
    static constexpr std::int16_t kErrFileRead = 348;      // the file failed while it played

    // A player on this engine. Its notifications run as events of the window whose surface is
    // `owner` (null: none), so a failing handler returns that window to rest.
    explicit MMControl(AudioEngine& engine, const QWidget* owner = nullptr);
    ~MMControl(); // closes the device
    MMControl(const MMControl&) = delete;
    MMControl& operator=(const MMControl&) = delete;

    void SetDeviceType(const std::string& t); // "WaveAudio" or "Sequencer"
    const std::string& DeviceType() const { return deviceType_; }
    void SetFileName(const std::string& f) { fileName_ = f; }
    const std::string& FileName() const { return fileName_; }
    void SetTimeFormat(std::int16_t f) { timeFormat_ = f; } // 0 = milliseconds
    std::int16_t TimeFormat() const { return timeFormat_; }
    void SetWait(bool on) { wait_ = on; }
    void SetNotify(bool on) { notify_ = on; }
    void SetShareable(bool on) { shareable_ = on; }
    bool Wait() const { return wait_; }
    bool Notify() const { return notify_; }
    bool Shareable() const { return shareable_; }
    void SetFrom(std::int32_t ms) { from_ = ms; } // range start (wave audio)
    void SetTo(std::int32_t ms) { to_ = ms; }     // range end (wave audio)
    std::int32_t From() const { return from_; }
    std::int32_t To() const { return to_; }
    std::int32_t Position() const; // ms from the file start; 0 while closed
    void SetUpdateInterval(std::int16_t ms);
    std::int16_t UpdateInterval() const { return updateInterval_; }
    std::int16_t Error() const { return error_; } // 0 after a successful "Open"
    // Why a play ended early, in a few words ("Input/output error"), once Done has reported
    // it with Error() kErrFileRead; empty otherwise. "Open" clears both.
    const std::string& ErrorCause() const { return errorCause_; }
    // The next "Open" of wave audio opens the file's range, the splice's samples and the range
    // again as one sound; "Play" then plays all of it whatever From and To say, and Position
    // is the place in the file (the range's end while the samples play). Any later "Open"
    // opens the file alone.
    void SpliceNextOpen(WaveSplice splice) { nextSplice_ = std::move(splice); }
    bool Spliced() const { return splice_.has_value(); }
    void SetCommand(const std::string& cmd); // "Open" "Close" "Play" "Pause" "Stop"
    bool IsOpen() const { return voice_ != nullptr; }
    bool IsPlaying() const;
    bool IsPaused() const;

    std::function<void()> Done;         // completion notification, on the UI thread
    std::function<void()> StatusUpdate; // every UpdateInterval ms while > 0 and open, UI thread

  private:
    void Open();
    void Close();
    void Play();
    void Pause();
    void Stop();
    // Queues Done for the play that just ended; dropped if the device closes first.
    void PostDone();
    // Raises Done for the play of `session`, if that play is still the current one.
    void RaiseDone(std::uint64_t session);
    void RefreshStatusTimer();

    std::string deviceType_;
    std::string fileName_;
    std::int16_t timeFormat_ = 0;
    bool wait_ = false;
    bool notify_ = false;
    bool shareable_ = false;
    std::int32_t from_ = 0;
    std::int32_t to_ = 0;
    std::int16_t updateInterval_ = 0;
    std::int16_t error_ = kNoError;
    std::string errorCause_;
    std::optional<WaveSplice> nextSplice_; // for the next "Open"
    std::optional<WaveSplice> splice_;     // of the device open now

    AudioEngine& engine_;
    const QWidget* owner_;
    std::shared_ptr<Voice> voice_; // set while open
    std::uint64_t session_ = 0;    // changes at every Open and Close
    // Receives the queued notifications; deleting it drops those still queued.
    std::unique_ptr<QObject> context_;
    std::unique_ptr<QTimer> statusTimer_;
};
