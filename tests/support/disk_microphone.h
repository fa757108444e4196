// A microphone for tests: SDL's disk driver reads capture input from a file, so a take
// records exactly the sound written there (32-bit float mono at the capture rate).
#pragma once

#include "audio/audio_capture.h"
#include "tests/support/fixtures.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

constexpr double kTestPi = 3.14159265358979323846;

// The sample value of the test tone at frame n: a sine of `hz` at amplitude `level`.
inline float ToneSample(double hz, double level, std::int64_t n) {
    return static_cast<float>(level *
                              std::sin(2 * kTestPi * hz * static_cast<double>(n) / kCaptureRate));
}

// While it lives, the audio subsystem opens on the disk driver and the capture device reads
// `seconds` of the tone, then silence. Build it while no audio engine runs (the subsystem keeps
// the driver it first opened on); an engine built after it plays into a file of the same folder.
class DiskMicrophone {
  public:
    DiskMicrophone(double hz, double level, double seconds) : input_(dir_.File("microphone.raw")) {
        const auto frames = static_cast<std::int64_t>(seconds * kCaptureRate);
        Bytes raw(static_cast<std::size_t>(frames) * sizeof(float));
        for (std::int64_t n = 0; n < frames; ++n) {
            const float s = ToneSample(hz, level, n);
            std::memcpy(raw.data() + n * sizeof(float), &s, sizeof s);
        }
        WriteFile(input_, raw);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILEIN", input_.c_str(), 1);
        setenv("SDL_DISKAUDIOFILE", dir_.File("speaker.raw").c_str(), 1);
    }
    ~DiskMicrophone() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        unsetenv("SDL_DISKAUDIOFILEIN");
        unsetenv("SDL_DISKAUDIOFILE");
    }
    DiskMicrophone(const DiskMicrophone&) = delete;
    DiskMicrophone& operator=(const DiskMicrophone&) = delete;

  private:
    TempDir dir_;
    std::string input_;
};
