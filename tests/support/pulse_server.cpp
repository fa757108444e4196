#include "pulse_server.h"

#include <QProcess>
#include <QStringList>

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kScriptTimeoutMs = 20000; // the script waits up to 10 s for the server
constexpr int kToneStopTimeoutMs = 2000;
constexpr double kPi = 3.14159265358979323846;

// The last line a process printed on its error stream, or `fallback`.
std::string LastLine(const QByteArray& text, const std::string& fallback) {
    const QList<QByteArray> lines = text.trimmed().split('\n');
    const QByteArray last = lines.isEmpty() ? QByteArray() : lines.last().trimmed();
    return last.isEmpty() ? fallback : last.toStdString();
}

std::string Run(const QString& program, const QStringList& args, std::string& error) {
    QProcess p;
    // Untranslated output, which tests read.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted()) {
        error = "cannot start " + program.toStdString();
        return {};
    }
    if (!p.waitForFinished(kScriptTimeoutMs)) {
        p.kill();
        p.waitForFinished();
        error = program.toStdString() + " did not finish";
        return {};
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        error = LastLine(p.readAllStandardError(), program.toStdString() + " failed");
        return {};
    }
    return p.readAllStandardOutput().toStdString();
}

} // namespace

PulseServer::PulseServer() : script_(TONVEXA_TEST_PULSE_SCRIPT) {
    std::string error;
    const std::string out =
        Run("bash", {QString::fromStdString(script_), "start", QString::fromStdString(dir_.Path())},
            error);
    if (!error.empty()) {
        reason_ = "no PulseAudio server for this test: " + error;
        return;
    }
    address_ = QString::fromStdString(out).trimmed().toStdString();
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
    Run("bash", {QString::fromStdString(script_), "stop", QString::fromStdString(dir_.Path())},
        error);
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
    tone_ = std::make_unique<QProcess>();
    tone_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    tone_->start("pacat", {"--playback", "--server=" + QString::fromStdString(address_),
                           QString("--device=") + kSinkName, "--format=float32le",
                           QString("--rate=%1").arg(kRate), "--channels=1", "--latency-msec=20",
                           "--client-name=Tonvexa test tone", QString::fromStdString(file)});
    if (!tone_->waitForStarted()) {
        tone_.reset();
        return "cannot start pacat (apt-get install pulseaudio-utils)";
    }
    return {};
}

void PulseServer::StopTone() {
    if (!tone_) {
        return;
    }
    if (tone_->state() != QProcess::NotRunning) {
        tone_->terminate();
        if (!tone_->waitForFinished(kToneStopTimeoutMs)) {
            tone_->kill();
            tone_->waitForFinished();
        }
    }
    tone_.reset();
}

std::string PulseServer::Pactl(const std::vector<std::string>& args) const {
    QStringList list{"--server=" + QString::fromStdString(address_)};
    for (const std::string& a : args) {
        list << QString::fromStdString(a);
    }
    std::string error;
    return Run("pactl", list, error);
}
