// A real PulseAudio server for tests that need one: the program's streams go through the
// desktop's sound server as they do for a user, and what is played into its output can be
// recorded back from that output's monitor.
//
// The server is started by tests/support/pulse-server.sh in a private folder: one null sink,
// kSinkName ("Tonvexa test output", 48000 Hz), whose monitor kMonitorName is the default source,
// reached through a unix socket without a cookie. Under root it runs as a plain user (PulseAudio
// refuses a per-user server as root). While a PulseServer that runs lives, the environment names
// it: PULSE_SERVER is its socket and SDL_AUDIODRIVER is "pulseaudio", so an audio engine or a
// capture device opened then (not before: the audio subsystem keeps the driver it first opened
// on) plays into the null sink and records from its monitor. The destructor stops the tone and
// the server and puts the environment back; close every device first. Should the test process
// die instead, the server stops by itself within a second.
//
// Where the server cannot start (pulseaudio not installed, no plain user to run it as, no
// socket), the test is skipped with the reason, and so does not pass:
//
//     PulseServer pulse;
//     if (!pulse.Running()) {
//         GTEST_SKIP() << pulse.Reason();
//     }
//     pulse.PlayTone(440.0, 0.5, 10); // into the sink; record it from the monitor
//
// A fixture may hold one as a member, so that it starts before SetUp builds the program.
#pragma once

#include "tests/support/fixtures.h"

#include <sys/types.h>

#include <string>
#include <vector>

class PulseServer {
  public:
    static constexpr const char* kSinkName = "tonvexa_test";
    static constexpr const char* kMonitorName = "tonvexa_test.monitor";
    // The monitor as the server describes it, which is the name SDL lists it by.
    static constexpr const char* kMonitorDescription = "Monitor of Tonvexa test output";
    static constexpr int kRate = 48000; // frames per second of the sink and of the tone

    // Starts the server (up to about 10 s); Running() says whether it did.
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    bool Running() const { return !address_.empty(); }
    // Why the server is not running ("pulseaudio is not installed (apt-get install ...)").
    const std::string& Reason() const { return reason_; }
    // "unix:<folder>/native", what PULSE_SERVER holds.
    const std::string& Address() const { return address_; }

    // Plays `seconds` of a sine of `hz` at amplitude `level` (1 = full scale) into the sink with
    // the server's own player (pacat, as the client "Tonvexa test tone"), and returns as it
    // starts; a tone still playing is stopped first. Empty on success, else why not.
    std::string PlayTone(double hz, double level, double seconds);
    // Stops the tone at once (nothing when none plays).
    void StopTone();

    // Runs pactl on the server ("list", "short", "source-outputs"); its standard output, empty
    // when it fails.
    std::string Pactl(const std::vector<std::string>& args) const;

  private:
    void Restore(const char* name, const std::string& old, bool had);

    TempDir dir_;
    std::string script_;
    std::string address_;
    std::string reason_;
    pid_t tone_ = 0; // the player, while it runs
    std::string oldPulseServer_, oldDriver_;
    bool hadPulseServer_ = false, hadDriver_ = false;
};
