// The engine's output: the system's default device, followed. When the device goes away or
// another device becomes the default, the output reopens on the default at the same rate, so
// voices, their rings and the synthesiser go on as they were, and sound resumes where it
// stopped. With no device left the silent dummy driver keeps time.
#pragma once

#include "audio_backend.h"

#include <memory>
#include <mutex>
#include <string>

class FollowingOutput : public OutputDevice {
  public:
    // Opens the default device (at its preferred rate); Opened() tells whether it could.
    FollowingOutput(AudioBackend& backend, int bufferFrames, RenderFunction render, void* user);
    ~FollowingOutput() override;
    FollowingOutput(const FollowingOutput&) = delete;
    FollowingOutput& operator=(const FollowingOutput&) = delete;

    bool Opened() const { return opened_; }
    // The rate and buffer of the first device; a reopened device keeps the rate.
    const DeviceSpec& Spec() const override { return spec_; }
    // Held by the render callback of whichever device is open.
    void Lock() override { lock_.lock(); }
    void Unlock() override { lock_.unlock(); }
    bool Alive() const override { return true; }

    // What the output runs on now (driver, name); any thread.
    DeviceSpec Current() const;
    // Reopens on the default when the device has gone or the default is another device;
    // true when it reopened. Cheap when nothing changed. One thread at a time, never under
    // Lock().
    bool Follow();

  private:
    static void Render(void* self, float* stereo, int frames);
    std::unique_ptr<OutputDevice> Open(int rate);

    AudioBackend& backend_;
    RenderFunction render_;
    void* user_;
    int bufferFrames_;
    DeviceSpec spec_;
    bool opened_ = false;
    std::mutex lock_; // the callback runs under it

    mutable std::mutex deviceMutex_; // device_
    std::unique_ptr<OutputDevice> device_;
};
