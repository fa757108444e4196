#include "mm_control.h"

#include "audio/audio_engine.h"
#include "audio/audio_voices.h"
#include "event_dispatch.h"

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::int16_t ErrorNumber(OpenError e) {
    switch (e) {
    case OpenError::None:
        return MMControl::kNoError;
    case OpenError::NotFound:
        return MMControl::kErrFileNotFound;
    case OpenError::Unplayable:
        return MMControl::kErrInvalidFile;
    case OpenError::NoSoundFont:
        return MMControl::kErrNoMidiPresent;
    case OpenError::NoDevice:
        return MMControl::kErrHardware;
    case OpenError::TooManyPlayers:
        return MMControl::kErrTooManyDevices;
    }
    return MMControl::kErrHardware;
}

} // namespace

MMControl::MMControl(AudioEngine& engine, const QWidget* owner)
    : engine_(engine), owner_(owner), context_(std::make_unique<QObject>()),
      statusTimer_(std::make_unique<QTimer>()) {
    QObject::connect(statusTimer_.get(), &QTimer::timeout, context_.get(),
                     [this] { Dispatch(owner_, StatusUpdate); });
}

MMControl::~MMControl() {
    Close();
}

void MMControl::SetDeviceType(const std::string& t) {
    deviceType_ = t;
}

void MMControl::SetUpdateInterval(std::int16_t ms) {
    updateInterval_ = ms;
    RefreshStatusTimer();
}

std::int32_t MMControl::Position() const {
    if (!voice_) {
        return 0;
    }
    return splice_ ? splice_->FileMs(voice_->PositionMs()) : voice_->PositionMs();
}

bool MMControl::IsPlaying() const {
    return voice_ && voice_->CurrentState() == Voice::Playing;
}

bool MMControl::IsPaused() const {
    return voice_ && voice_->CurrentState() == Voice::Paused;
}

void MMControl::SetCommand(const std::string& cmd) {
    const std::string c = Lower(cmd);
    if (c == "open") {
        Open();
    } else if (c == "close") {
        Close();
    } else if (c == "play") {
        Play();
    } else if (c == "pause") {
        Pause();
    } else if (c == "stop") {
        Stop();
    } else {
        error_ = kErrUnrecognizedCommand;
    }
}

void MMControl::Open() {
    Close();
    std::optional<WaveSplice> splice = std::exchange(nextSplice_, std::nullopt);
    const std::string type = Lower(deviceType_);
    if (type != "waveaudio" && type != "sequencer") {
        error_ = kErrInvalidDeviceName;
        return;
    }
    // Runs on the engine's service thread: it only posts to the user-interface thread.
    QObject* context = context_.get();
    const std::uint64_t session = session_;
    auto onEnded = [this, context, session] {
        QMetaObject::invokeMethod(
            context, [this, session] { RaiseDone(session); }, Qt::QueuedConnection);
    };
    if (type != "waveaudio") {
        splice.reset();
    }
    AudioEngine::Opened opened =
        type == "waveaudio" ? engine_.OpenWave(fileName_, onEnded, splice ? &*splice : nullptr)
                            : engine_.OpenSequence(fileName_, onEnded);
    if (opened.voice) {
        splice_ = std::move(splice);
    }
    error_ = ErrorNumber(opened.error);
    errorCause_.clear();
    voice_ = std::move(opened.voice);
    RefreshStatusTimer();
}

void MMControl::Close() {
    ++session_;
    splice_.reset();
    if (voice_) {
        // A voice cut off by its engine ending (a test closing the device to read what it
        // was given) is not the engine's any more.
        if (!voice_->Detached()) {
            engine_.Close(voice_);
        }
        voice_.reset();
    }
    RefreshStatusTimer();
}

void MMControl::Play() {
    if (!voice_ || voice_->Detached()) {
        return;
    }
    // A sequence, and a spliced sound, play whole.
    const bool whole = voice_->IsSequence() || splice_;
    if (voice_->Play(whole ? 0 : from_, whole ? 0 : to_)) {
        PostDone();
    }
    engine_.Wake();
}

void MMControl::Pause() {
    if (voice_) {
        voice_->Pause();
    }
}

void MMControl::Stop() {
    if (voice_ && voice_->Stop()) {
        PostDone();
    }
}

void MMControl::PostDone() {
    QMetaObject::invokeMethod(
        context_.get(), [this, session = session_] { RaiseDone(session); }, Qt::QueuedConnection);
}

void MMControl::RaiseDone(std::uint64_t session) {
    if (session != session_) {
        return;
    }
    // A play the file cut short by failing to read reports it with its completion.
    if (std::string why = voice_ ? voice_->Failure() : std::string(); !why.empty()) {
        error_ = kErrFileRead;
        errorCause_ = std::move(why);
    }
    Dispatch(owner_, Done);
}

void MMControl::RefreshStatusTimer() {
    if (voice_ && updateInterval_ > 0) {
        statusTimer_->start(updateInterval_);
    } else {
        statusTimer_->stop();
    }
}
