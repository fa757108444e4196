#include "audio_output.h"

#include <utility>

FollowingOutput::FollowingOutput(AudioBackend& backend, int bufferFrames, RenderFunction render,
                                 void* user)
    : backend_(backend), render_(render), user_(user), bufferFrames_(bufferFrames) {
    std::unique_ptr<OutputDevice> device = Open(0);
    if (!device) {
        return;
    }
    spec_ = device->Spec();
    opened_ = true;
    std::lock_guard guard(deviceMutex_);
    device_ = std::move(device);
}

FollowingOutput::~FollowingOutput() {
    std::unique_ptr<OutputDevice> device;
    {
        std::lock_guard guard(deviceMutex_);
        device = std::move(device_);
    }
    device.reset(); // waits for a callback in progress
}

std::unique_ptr<OutputDevice> FollowingOutput::Open(int rate) {
    std::string error;
    return backend_.OpenOutputDevice(rate, bufferFrames_, &FollowingOutput::Render, this, error);
}

DeviceSpec FollowingOutput::Current() const {
    std::lock_guard guard(deviceMutex_);
    return device_ ? device_->Spec() : DeviceSpec{};
}

bool FollowingOutput::Follow() {
    if (!opened_) {
        return false;
    }
    std::unique_ptr<OutputDevice> old;
    {
        std::lock_guard guard(deviceMutex_);
        if (device_ && device_->Alive()) {
            const std::string& openedOn = device_->Spec().name;
            if (openedOn.empty()) {
                return false;
            }
            const std::string now = backend_.DefaultOutputName();
            if (now.empty() || now == openedOn) {
                return false;
            }
        }
        old = std::move(device_);
    }
    // The old device is closed first: the driver then lists the devices afresh.
    old.reset();
    std::unique_ptr<OutputDevice> device = Open(spec_.rate);
    std::lock_guard guard(deviceMutex_);
    device_ = std::move(device);
    return device_ != nullptr;
}

void FollowingOutput::Render(void* self, float* stereo, int frames) {
    auto* out = static_cast<FollowingOutput*>(self);
    std::lock_guard guard(out->lock_);
    out->render_(out->user_, stereo, frames);
}
