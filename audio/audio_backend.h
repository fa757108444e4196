// The vendor audio libraries as the audio engine sees them. Each interface is implemented in
// its own adapter file (SDL2: sdl_output_device.cpp and sdl_resampler.cpp; libsndfile:
// sndfile_reader.cpp; FluidSynth: fluid_midi_synth.cpp); no vendor header appears here.
#pragma once

#include "base/midi_file.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

// ---- Output device (SDL2) ----

struct DeviceSpec {
    int rate = 0;         // frames per second, as the device was really opened
    int bufferFrames = 0; // frames per callback, as opened
    std::string driver;   // "alsa", "pulseaudio", "dummy", "disk", ...
    std::string name;     // the device's name; empty when the driver does not tell
};

// Fills `frames` interleaved stereo float frames; runs on the device's own thread.
using RenderFunction = void (*)(void* user, float* stereo, int frames);

// One open output device whose callback is running. Destroying it closes the device (waiting
// for a callback in progress) and shuts the audio subsystem down.
class OutputDevice {
  public:
    virtual ~OutputDevice() = default;
    virtual const DeviceSpec& Spec() const = 0;
    // While locked the callback does not run; keep the lock for a few microseconds only.
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    // False once the device has gone (unplugged, its sound server stopped); any thread, cheap.
    // A device that has gone no longer asks for frames.
    virtual bool Alive() const = 0;
};

// Opens the default output device (float stereo, `bufferFrames` frames per callback) at
// `rate` frames per second, or at the device's preferred rate when `rate` is 0, and starts it.
// When no device can be opened, falls back to the silent dummy driver, which keeps real time.
// Empty, with a reason, only when even that fails.
std::unique_ptr<OutputDevice> OpenOutputDevice(int rate, int bufferFrames, RenderFunction render,
                                               void* user, std::string& error);

// The name of the system's default output device now; empty when the driver cannot tell.
// Only while an output device is open.
std::string DefaultOutputName();

// Holds the device lock for one scope.
class DeviceLock {
  public:
    explicit DeviceLock(OutputDevice& d) : device_(d) { device_.Lock(); }
    ~DeviceLock() { device_.Unlock(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

  private:
    OutputDevice& device_;
};

// ---- Rate and channel conversion (SDL_AudioStream) ----

// Converts interleaved float frames of `channels` channels at one rate into stereo frames at
// another. Not thread-safe: one feeding thread at a time.
class Resampler {
  public:
    virtual ~Resampler() = default;
    virtual bool Put(const float* frames, int count) = 0;
    // Marks the end of the input, so the last frames become available.
    virtual void Flush() = 0;
    // Stereo frames ready to take.
    virtual int Available() const = 0;
    // Takes up to maxFrames stereo frames; returns the number taken.
    virtual int Get(float* stereo, int maxFrames) = 0;
    // Forgets everything put so far.
    virtual void Clear() = 0;
};

// Empty when the conversion is not supported (channel count, rates).
std::unique_ptr<Resampler> MakeResampler(int channels, int fromRate, int toRate);
// The same conversion of rate only: the frames taken out have `channels` samples, as those put
// in (Available and Get count such frames).
std::unique_ptr<Resampler> MakeRateConverter(int channels, int fromRate, int toRate);

// ---- Decoded sound files (libsndfile) ----

class SoundFile {
  public:
    virtual ~SoundFile() = default;
    virtual int Rate() const = 0;
    virtual int Channels() const = 0;
    virtual std::int64_t Frames() const = 0;
    virtual bool Seek(std::int64_t frame) = 0;
    // Reads up to `count` frames as interleaved floats in -1..1; returns frames read, fewer
    // only at the end of the file or when the file cannot be read.
    virtual std::int64_t Read(float* frames, std::int64_t count) = 0;
    // Why the last Read fell short of the end ("Input/output error"); empty when it did not.
    virtual std::string ReadFailure() const { return {}; }
};

enum class SoundFileError { None, NotFound, Unplayable };

// Opens a sound file for decoding; the file stays open until the object is destroyed.
std::unique_ptr<SoundFile> OpenSoundFile(const std::string& path, SoundFileError& error);

// ---- General MIDI synthesis (FluidSynth) ----

// One MIDI file being played on the synthesiser. Every call, and destruction, must happen
// under the device lock.
class MidiPlayer {
  public:
    virtual ~MidiPlayer() = default;
    virtual void Pause() = 0;
    virtual void Resume() = 0;
};

class MidiSynth {
  public:
    virtual ~MidiSynth() = default;
    // Device thread: writes (does not add) `frames` stereo frames.
    virtual void Render(float* stereo, int frames) = 0;
    // Device thread: true while any voice still sounds.
    virtual bool Sounding() const = 0;
    // Under the device lock: starts playing the file's bytes from their beginning. Empty when
    // the synthesiser's player refuses the bytes.
    virtual std::unique_ptr<MidiPlayer> Play(const MidiBytes& file) = 0;
    // Under the device lock: releases the notes on the channels in the mask (bit c = channel c).
    virtual void NotesOff(std::uint16_t channelMask) = 0;
};

// Creates the synthesiser at the device's rate, loads the SoundFont and levels its instruments:
// each melodic program gets the gain that brings a reference note to one common loudness
// (slow, a fraction of a second: call it off the user-interface thread). Empty, with a reason,
// when the SoundFont cannot be loaded or when `cancel` was set meanwhile (the load then stops
// within one read of the file, the levelling within one round of reference notes).
std::unique_ptr<MidiSynth> MakeMidiSynth(double rate, const std::string& soundFont,
                                         const std::atomic<bool>& cancel, std::string& error);

// The synthesiser's own default SoundFont setting (it may name a file that does not exist).
std::string SynthDefaultSoundFont();

// ---- All of them, as the engine reaches them ----

// The functions above behind one interface, so tests can put doubles in their place.
class AudioBackend {
  public:
    virtual ~AudioBackend() = default;
    virtual std::unique_ptr<OutputDevice> OpenOutputDevice(int rate, int bufferFrames,
                                                           RenderFunction render, void* user,
                                                           std::string& error) = 0;
    virtual std::string DefaultOutputName() = 0;
    virtual std::unique_ptr<SoundFile> OpenSoundFile(const std::string& path,
                                                     SoundFileError& error) = 0;
    virtual std::unique_ptr<Resampler> MakeResampler(int channels, int fromRate, int toRate) = 0;
    virtual std::unique_ptr<MidiSynth> MakeMidiSynth(double rate, const std::string& soundFont,
                                                     const std::atomic<bool>& cancel,
                                                     std::string& error) = 0;
};

// SDL2, libsndfile and FluidSynth.
std::unique_ptr<AudioBackend> MakeSystemAudioBackend();
