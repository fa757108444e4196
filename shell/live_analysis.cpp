#include "live_analysis.h"

#include "main_window.h"

#include "audio/audio_capture.h"
#include "audio/audio_engine.h"
#include "base/file_channel.h"
#include "base/numbers.h"
#include "dialogs/record_dialog.h"
#include "spectrum/spectrogram_strip.h"
#include "spectrum/spectrum_view.h"
#include "ui/common_dialog.h"
#include "ui/event_dispatch.h"
#include "ui/services.h"
#include "ui/twips.h"
#include "waveview/handoff_rules.h"
#include "waveview/waveform_view.h"

#include <QAction>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kDefaultRefreshHz = 60.0;
constexpr double kFewestFramesPerSecond = 30.0;
constexpr int kShortestFrameMs = 4;
constexpr double kFullScale16 = 32767.0; // a capture sample of 1.0, as a 16-bit value
constexpr double kFullScale8 = 128.0;
constexpr double kMeterFloorDb = -60.0;
constexpr int kMeterCells = 10;

constexpr const char* kNoDevice = "No capture device: there is no microphone to listen to.\n(";
constexpr const char* kDeviceGone = "The capture device has gone: listening has stopped.";
constexpr const char* kDeviceSilent =
    "The capture device has stopped delivering sound: listening has stopped.";

// What the Record window asks around a take: a kept take is complete, so nothing is silenced.
class KeptTakePort : public RecordPort {
  public:
    void StopAllSound() override {}
};

} // namespace

std::string BlockTimeText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", seconds);
    std::string t = text;
    std::replace(t.begin(), t.end(), '.', num::DecimalSeparator());
    return "at " + t + " s";
}

std::string ListenLevelText(double rmsDbfs, const std::string& word) {
    const double fraction = std::isfinite(rmsDbfs)
                                ? std::clamp((rmsDbfs - kMeterFloorDb) / -kMeterFloorDb, 0.0, 1.0)
                                : 0.0;
    const int full = static_cast<int>(std::lround(fraction * kMeterCells));
    std::string bar;
    for (int i = 0; i < kMeterCells; ++i) {
        bar += i < full ? "\u2588" : "\u2591";
    }
    std::string level = "-inf";
    if (std::isfinite(rmsDbfs)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", rmsDbfs);
        level = text;
        std::replace(level.begin(), level.end(), '.', num::DecimalSeparator());
    }
    return "Listening: level " + bar + " " + level + " dBFS" + (word.empty() ? "" : " " + word);
}

LiveAnalysis::LiveAnalysis(MDIForm1& frame, Form103& wave, Form101& spectrum, frmStrip& strip,
                           AudioEngine& engine, FileChannel& channel1, Services& services)
    : frame_(frame), wave_(wave), spectrum_(spectrum), strip_(strip), engine_(engine),
      channel1_(channel1), services_(services), timer_(std::make_unique<QTimer>()) {
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(),
                     [this] { Dispatch(&frame_.Window(), [this] { Frame(); }); });
    escape_ = new QAction(&frame_.Window());
    escape_->setShortcut(QKeySequence(Qt::Key_Escape));
    escape_->setEnabled(false);
    frame_.Window().addAction(escape_);
    QObject::connect(escape_, &QAction::triggered, escape_,
                     [this] { Dispatch(&frame_.Window(), [this] { StopListening(); }); });
    spectrum_.Scrolled = [this](double value) { strip_.Scroll(value); };
}

LiveAnalysis::~LiveAnalysis() {
    spectrum_.Scrolled = nullptr;
}

int LiveAnalysis::FrameIntervalMs() const {
    double hz = kDefaultRefreshHz;
    if (const QScreen* screen = frame_.Window().screen(); screen && screen->refreshRate() > 1) {
        hz = std::max(screen->refreshRate(), kFewestFramesPerSecond);
    }
    return std::max(kShortestFrameMs, static_cast<int>(1000.0 / hz));
}

double LiveAnalysis::LatencyMs() const {
    const AudioInfo info = engine_.Info();
    return info.rate > 0 ? 1000.0 * info.bufferFrames / info.rate : 0.0;
}

void LiveAnalysis::Arm() {
    if (follow_ || device_) {
        if (!timer_->isActive()) {
            timer_->start(FrameIntervalMs());
        }
    } else {
        timer_->stop();
    }
}

void LiveAnalysis::SetFollow(bool on) {
    follow_ = on;
    if (!on && !device_) {
        Rest();
    }
    Arm();
}

std::int32_t LiveAnalysis::LivePoints() const {
    const std::string points = wave_.FftPoints().Caption();
    return points.empty() ? kLivePointsWithoutSelection : WholeNumber(wave_.FftPoints());
}

void LiveAnalysis::Frame() {
    if (device_) {
        ListenFrame();
    } else if (follow_) {
        FollowFrame();
    }
}

void LiveAnalysis::Rest() {
    if (spectrum_.Live()) {
        spectrum_.EndLive();
    }
    ShowStrip(false);
}

void LiveAnalysis::Shown(const std::vector<float>& peaks, double fullScale, double seconds) {
    ShowStrip(true);
    strip_.AddRow(peaks, fullScale, seconds);
    ++blocks_;
    if (BlockShown) {
        BlockShown(seconds);
    }
}

// ---- Following the wave player ----

void LiveAnalysis::FollowFrame() {
    if (wave_.PlayIdle) {
        Rest(); // Stop, or the end of the play: the selection's spectrum again
        return;
    }
    // Paused (the block stays on show), between two passes, or a handler has the channel.
    if (!wave_.MMControl1.IsPlaying() || channel1_.IsOpen()) {
        return;
    }
    // The block ends at the sample being heard: the device has been handed sound up to the
    // position, and plays it one latency later.
    ShowHeardBlock(wave_.MMControl1.Position() - LatencyMs());
}

void LiveAnalysis::ShowHeardBlock(double heardMs) {
    const std::int32_t rate = WholeNumber(wave_.SampleRate());
    const std::int32_t points = LivePoints();
    const double bits = num::LeadingNumber(wave_.BitsText().Caption());
    const ChannelLayout layout =
        LayoutFor(bits, wave_.ChannelsText().Caption(), wave_.Option1.Value());
    const std::int64_t end = std::llround(heardMs * rate / 1000.0);
    const std::int64_t first = end - points;
    // Only what was played is heard: nothing before the play's start, nothing past the data.
    const std::int64_t from =
        std::llround(wave_.MMControl1.From() * static_cast<double>(rate) / 1000.0);
    const std::int64_t lo = std::max<std::int64_t>({first, from, 0});
    const std::int64_t hi = std::min<std::int64_t>(end, WholeNumber(wave_.TotalPoints()));
    block_.assign(static_cast<std::size_t>(points) + 1, 0.0);
    if (hi > lo) {
        const std::int64_t position =
            WholeNumber(wave_.DataStart()) + lo * WholeNumber(wave_.BlockAlign());
        try {
            channel1_.Open(frame_.CommonDialog1().FileName(), FileChannel::Mode::BinaryRead);
            channel1_.Seek(position);
            const std::vector<double> y =
                ReadChannelBlock(channel1_, static_cast<std::int32_t>(hi - lo), layout);
            channel1_.Close();
            std::copy(y.begin() + 1, y.end(), block_.begin() + 1 + (lo - first));
        } catch (...) {
            channel1_.Close();
            throw;
        }
    }
    const double seconds = static_cast<double>(end) / rate;
    spectrum_.ShowLiveBlock(block_, points, rate, BlockTimeText(seconds));
    const double fullScale = (layout.sixteenBit ? kFullScale16 + 1 : kFullScale8) * points / 2;
    Shown(spectrum_.LiveColumns(), fullScale, seconds);
}

// ---- Listening ----

void LiveAnalysis::Listen_Click() {
    if (device_) {
        StopListening();
        return;
    }
    // As a take starts: the demonstration still to come, the wave player and its comparison
    // stop, so the microphone hears the student and not the program.
    frame_.Timer2.SetEnabled(false);
    frame_.Timer3.SetEnabled(false);
    wave_.StopForRecording();
    std::string why;
    device_ = OpenCaptureDevice("", why);
    if (!device_) {
        const std::string text = kNoDevice + why + ")";
        frame_.ShowStatus(text.substr(0, text.find('\n')));
        services_.messages->Show(text, AppTitle(), MsgIcon::Information);
        return;
    }
    meter_ = LevelMeter(kCaptureRate);
    heard_.assign(static_cast<std::size_t>(kKeptSeconds) * kCaptureRate, 0.0f);
    heardTotal_ = 0;
    sinceSound_.start();
    strip_.Clear();
    escape_->setEnabled(true);
    frame_.ShowStatus(ListenLevelText(meter_.RmsDbfs(), {}));
    Arm();
    if (ListeningChanged) {
        ListeningChanged(true);
    }
}

void LiveAnalysis::StopListening(const std::string& message) {
    if (!device_) {
        return;
    }
    device_.reset();
    escape_->setEnabled(false);
    Rest();
    Arm();
    if (ListeningChanged) {
        ListeningChanged(false);
    }
    if (!message.empty()) {
        frame_.ShowStatus(message);
        services_.messages->Show(message, AppTitle(), MsgIcon::Information);
    }
}

void LiveAnalysis::ListenFrame() {
    drained_.clear();
    const std::size_t n = device_->Drain(drained_);
    if (!device_->Alive()) {
        StopListening(kDeviceGone);
        return;
    }
    if (n == 0) {
        if (sinceSound_.elapsed() > kListenStallMs) {
            StopListening(kDeviceSilent);
        }
        return;
    }
    sinceSound_.restart();
    meter_.Feed(drained_.data(), n);
    const std::size_t size = heard_.size();
    const std::size_t skipped = n > size ? n - size : 0; // older than the kept seconds
    heardTotal_ += static_cast<std::int64_t>(skipped);
    for (std::size_t i = skipped; i < n; ++i) {
        heard_[static_cast<std::size_t>(heardTotal_ % static_cast<std::int64_t>(size))] =
            drained_[i];
        ++heardTotal_;
    }

    const std::int32_t points = LivePoints();
    block_.assign(static_cast<std::size_t>(points) + 1, 0.0);
    const std::int64_t have = std::min<std::int64_t>(heardTotal_, points);
    for (std::int64_t i = 0; i < have; ++i) {
        const std::int64_t frame = heardTotal_ - have + i;
        block_[static_cast<std::size_t>(points - have + i) + 1] =
            heard_[static_cast<std::size_t>(frame % static_cast<std::int64_t>(size))] *
            kFullScale16;
    }
    std::string word;
    switch (meter_.Status()) {
    case LevelMeter::Word::Clipping:
        word = "Clipping";
        break;
    case LevelMeter::Word::TooQuiet:
        word = "Too quiet";
        break;
    case LevelMeter::Word::None:
        break;
    }
    spectrum_.ShowLiveBlock(block_, points, kCaptureRate, ListenLevelText(meter_.RmsDbfs(), word));
    Shown(spectrum_.LiveColumns(), (kFullScale16 + 1) * points / 2,
          static_cast<double>(heardTotal_) / kCaptureRate);
}

void LiveAnalysis::Keep_Click() {
    if (!device_) {
        return;
    }
    // The sound up to the click, then the device closes.
    drained_.clear();
    device_->Drain(drained_);
    const std::size_t size = heard_.size();
    for (const float s : drained_) {
        heard_[static_cast<std::size_t>(heardTotal_ % static_cast<std::int64_t>(size))] = s;
        ++heardTotal_;
    }
    const std::int64_t frames =
        std::min<std::int64_t>(heardTotal_, static_cast<std::int64_t>(size));
    Take take(frames);
    for (std::int64_t i = 0; i < frames; ++i) {
        const float s = heard_[static_cast<std::size_t>((heardTotal_ - frames + i) %
                                                        static_cast<std::int64_t>(size))];
        take.Append(&s, 1);
    }
    StopListening();
    KeptTakePort port;
    RecordDialog dialog(port, services_, RecordingsFolder(), std::move(take), &frame_.Window());
    if (const std::optional<std::string> path = dialog.Run()) {
        frame_.OpenFile(*path);
    }
}

// ---- The strip ----

void LiveAnalysis::ShowStrip(bool on) {
    if (on == stripShown_) {
        return;
    }
    stripShown_ = on;
    QWidget* surface = strip_.Widget();
    if (!qobject_cast<QMdiSubWindow*>(surface->parentWidget())) {
        QMdiSubWindow* sub = frame_.Area().addSubWindow(surface, Qt::FramelessWindowHint);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    const double top = spectrum_.Top() + spectrum_.Height();
    const int grow = TwipsToPx(kStripHeightTwips);
    QMainWindow& window = frame_.Window();
    if (on) {
        strip_.Move(0, top, spectrum_.Width(), kStripHeightTwips);
        wave_.Move(wave_.Left(), top + kStripHeightTwips, wave_.Width(), wave_.Height());
        strip_.Scroll(spectrum_.HScroll1.Value());
        strip_.Show();
        QSize wanted = window.size() + QSize(0, grow);
        if (const QScreen* screen = window.screen()) {
            wanted = wanted.boundedTo(screen->availableGeometry().size());
        }
        grown_ = wanted.height() - window.height();
        window.resize(wanted);
    } else {
        strip_.Hide();
        wave_.Move(wave_.Left(), top, wave_.Width(), wave_.Height());
        window.resize(window.size() - QSize(0, grown_));
        grown_ = 0;
    }
}
