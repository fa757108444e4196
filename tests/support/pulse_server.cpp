#include "pulse_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

extern char** environ;

namespace {

constexpr int kScriptTimeoutMs = 20000; // the script waits up to 10 s for the server
constexpr int kToneStopTimeoutMs = 2000;
constexpr double kPi = 3.14159265358979323846;

std::string Trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \n");
    const std::size_t last = s.find_last_not_of(" \n");
    return first == std::string::npos ? std::string() : s.substr(first, last + 1 - first);
}

// The last line of a text, or `fallback` when it has none.
std::string LastLine(const std::string& text, const std::string& fallback) {
    const std::string trimmed = Trimmed(text);
    const std::size_t newline = trimmed.rfind('\n');
    const std::string line = newline == std::string::npos ? trimmed : trimmed.substr(newline + 1);
    return line.empty() ? fallback : line;
}

// Starts `args` (found on PATH) with posix_spawn, which starts no thread and copies no memory in
// the child, as a fork of this many-threaded process would; its standard output and error go to
// `out` and `err` when given (else they are the test's own). 0 when it does not start.
pid_t Spawn(const std::vector<std::string>& args, int out = -1, int err = -1) {
    std::vector<char*> argv;
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (out >= 0) {
        posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    }
    if (err >= 0) {
        posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    }
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? 0 : pid;
}

// Waits up to `timeoutMs` for `pid` to end; its wait status, or nothing when it did not end.
std::optional<int> WaitFor(pid_t pid, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status;
}

// Runs `args` to its end (LC_ALL=C, so its output is untranslated); its standard output, or
// empty with why in `error`.
std::string Run(const std::vector<std::string>& args, std::string& error) {
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        error = "cannot make a pipe";
        return {};
    }
    std::vector<std::string> command{"env", "LC_ALL=C"};
    command.insert(command.end(), args.begin(), args.end());
    const pid_t pid = Spawn(command, out[1], err[1]);
    close(out[1]);
    close(err[1]);
    std::string text[2];
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kScriptTimeoutMs);
    int open = pid ? 2 : 0;
    while (open > 0 && std::chrono::steady_clock::now() < end) {
        if (poll(fds, 2, 100) <= 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP))) {
                char buffer[4096];
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    text[i].append(buffer, static_cast<std::size_t>(n));
                } else {
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    close(out[0]);
    close(err[0]);
    if (!pid) {
        error = "cannot start " + args[0];
        return {};
    }
    const std::optional<int> status = WaitFor(pid, open > 0 ? 0 : kScriptTimeoutMs);
    if (!status) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        error = args[0] + " did not finish";
        return {};
    }
    if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0) {
        error = LastLine(text[1], args[0] + " failed");
        return {};
    }
    return text[0];
}

} // namespace

PulseServer::PulseServer() : script_(TONVEXA_TEST_PULSE_SCRIPT) {
    std::string error;
    const std::string out =
        Run({"bash", script_, "start", dir_.Path(), std::to_string(getpid())}, error);
    if (!error.empty()) {
        reason_ = "no PulseAudio server for this test: " + error;
        return;
    }
    address_ = Trimmed(out);
    if (const char* old = std::getenv("PULSE_SERVER")) {
        oldPulseServer_ = old;
        hadPulseServer_ = true;
    }
    if (const char* old = std::getenv("SDL_AUDIODRIVER")) {
        oldDriver_ = old;
        hadDriver_ = true;
    }
    setenv("PULSE_SERVER", address_.c_str(), 1);
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
}

PulseServer::~PulseServer() {
    StopTone();
    if (!Running()) {
        return;
    }
    std::string error;
    Run({"bash", script_, "stop", dir_.Path()}, error);
    Restore("PULSE_SERVER", oldPulseServer_, hadPulseServer_);
    Restore("SDL_AUDIODRIVER", oldDriver_, hadDriver_);
}

void PulseServer::Restore(const char* name, const std::string& old, bool had) {
    if (had) {
        setenv(name, old.c_str(), 1);
    } else {
        unsetenv(name);
    }
}

std::string PulseServer::PlayTone(double hz, double level, double seconds) {
    StopTone();
    if (!Running()) {
        return reason_;
    }
    const auto frames = static_cast<std::size_t>(seconds * kRate);
    Bytes raw(frames * sizeof(float));
    for (std::size_t n = 0; n < frames; ++n) {
        const auto s =
            static_cast<float>(level * std::sin(2 * kPi * hz * static_cast<double>(n) / kRate));
        std::memcpy(raw.data() + n * sizeof(float), &s, sizeof s);
    }
    const std::string file = dir_.File("tone.raw");
    WriteFile(file, raw);
    tone_ =
        Spawn({"pacat", "--playback", "--server=" + address_, std::string("--device=") + kSinkName,
               "--format=float32le", "--rate=" + std::to_string(kRate), "--channels=1",
               "--latency-msec=20", "--client-name=Tonvexa test tone", file});
    if (!tone_) {
        return "cannot start pacat (apt-get install pulseaudio-utils)";
    }
    return {};
}

void PulseServer::StopTone() {
    if (!tone_) {
        return;
    }
    kill(tone_, SIGTERM);
    if (!WaitFor(tone_, kToneStopTimeoutMs)) {
        kill(tone_, SIGKILL);
        waitpid(tone_, nullptr, 0);
    }
    tone_ = 0;
}

std::string PulseServer::Pactl(const std::vector<std::string>& args) const {
    std::vector<std::string> command{"pactl", "--server=" + address_};
    command.insert(command.end(), args.begin(), args.end());
    std::string error;
    return Run(command, error);
}
