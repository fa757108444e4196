#include "record_dialog.h"

#include "audio/audio_capture.h"
#include "base/wave_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <ctime>

namespace {

constexpr const char* kTitle = "Record";
constexpr const char* kRecordCaption = "&Record";
constexpr const char* kStopCaption = "&Stop";
constexpr const char* kSaveCaption = "&Save";
constexpr const char* kSubfolder = "/Tonvexa";

// The meter's scale, dBFS, and where its colours change.
constexpr double kMeterFloorDb = -60.0;
constexpr double kMeterWarnDb = -12.0;
constexpr double kMeterHotDb = -3.0;
constexpr int kMeterHeightPx = 22;
constexpr int kMeterWidthPx = 320;
constexpr int kPeakTickPx = 3;

// 0 .. 1 along the meter for a level in dBFS.
double MeterFraction(double db) {
    if (!std::isfinite(db) || db <= kMeterFloorDb) {
        return 0.0;
    }
    return std::min(1.0, (db - kMeterFloorDb) / -kMeterFloorDb);
}

std::string DbText(double db) {
    if (!std::isfinite(db)) {
        return "-inf";
    }
    return QLocale::system().toString(db, 'f', 1).toStdString();
}

std::string LocalTimeName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return RecordingFileName(local);
}

// The name in `folder` for a take recorded now; a second take within the same second gets
// " (2)", " (3)" ... rather than replacing the first.
QString FreeTakePath(const QString& folder) {
    return QString::fromStdString(FreeFilePath(folder.toStdString(), LocalTimeName()));
}

} // namespace

// The level meter: the RMS level as a bar, green, then yellow, then red near full scale, and
// the peak level as a tick. Draws what it is given.
class LevelBar : public QWidget {
  public:
    explicit LevelBar(QWidget* parent) : QWidget(parent) {
        setMinimumSize(kMeterWidthPx, kMeterHeightPx);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    void SetLevels(double peakDb, double rmsDb) {
        peak_ = MeterFraction(peakDb);
        rms_ = MeterFraction(rmsDb);
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const QRect r = rect().adjusted(0, 0, -1, -1);
        p.fillRect(r, palette().color(QPalette::Base));
        const int w = r.width();
        const auto x = [w](double db) { return static_cast<int>(MeterFraction(db) * w); };
        const int fill = static_cast<int>(rms_ * w);
        p.fillRect(QRect(0, 0, std::min(fill, x(kMeterWarnDb)), r.height()), QColor(40, 170, 60));
        if (fill > x(kMeterWarnDb)) {
            p.fillRect(QRect(x(kMeterWarnDb), 0, std::min(fill, x(kMeterHotDb)) - x(kMeterWarnDb),
                             r.height()),
                       QColor(230, 190, 30));
        }
        if (fill > x(kMeterHotDb)) {
            p.fillRect(QRect(x(kMeterHotDb), 0, fill - x(kMeterHotDb), r.height()),
                       QColor(210, 40, 40));
        }
        if (peak_ > 0) {
            p.fillRect(QRect(static_cast<int>(peak_ * w) - kPeakTickPx, 0, kPeakTickPx, r.height()),
                       palette().color(QPalette::Text));
        }
        // A mark every 10 dB.
        p.setPen(palette().color(QPalette::Mid));
        for (double db = kMeterFloorDb + 10; db < 0; db += 10) {
            p.drawLine(x(db), r.height() - 4, x(db), r.height());
        }
        p.drawRect(r);
    }

  private:
    double peak_ = 0;
    double rms_ = 0;
};

std::string RecordingsFolder() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir()) {
        return (music + kSubfolder).toStdString();
    }
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}

RecordDialog::RecordDialog(RecordPort& port, std::string folder, QWidget* parent,
                           std::int64_t limitFrames)
    : QDialog(parent), port_(port), folder_(std::move(folder)), take_(limitFrames) {
    BuildWindow();
    std::string why;
    device_ = OpenCaptureDevice(why);
    if (!device_) {
        record_->setEnabled(false);
        message_->setText(QString("No capture device: there is no microphone to record from.\n(%1)")
                              .arg(QString::fromStdString(why)));
        return;
    }
    Show(State::Monitoring, "Press Record to start; a take stops by itself after " +
                                std::to_string(take_.LimitFrames() / kRecordRate) + " s.");
    timer_->start();
}

RecordDialog::~RecordDialog() = default;

void RecordDialog::BuildWindow() {
    setWindowTitle(kTitle);
    setModal(true);
    bar_ = new LevelBar(this);
    levels_ = new QLabel(this);
    word_ = new QLabel(this);
    QFont bold = word_->font();
    bold.setBold(true);
    word_->setFont(bold);
    elapsed_ = new QLabel(this);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    record_ = new QPushButton(kRecordCaption, this);
    cancel_ = new QPushButton("Cancel", this);
    // Return always means the Record/Stop button, even when Cancel has the focus; Escape
    // means Cancel.
    record_->setDefault(true);
    cancel_->setAutoDefault(false);

    auto* readout = new QHBoxLayout;
    readout->addWidget(levels_, 1);
    readout->addWidget(word_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(record_);
    buttons->addWidget(cancel_);
    auto* column = new QVBoxLayout(this);
    column->addWidget(bar_);
    column->addLayout(readout);
    column->addWidget(elapsed_);
    column->addWidget(message_);
    column->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(kRecordTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
    connect(record_, &QPushButton::clicked, this, [this] { Record_Click(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    elapsed_->setText(QString::fromStdString("Elapsed: " + Elapsed()));
    levels_->setText("Peak: -inf dBFS    RMS: -inf dBFS");
}

std::optional<std::string> RecordDialog::Run() {
    if (exec() == QDialog::Accepted && !written_.empty()) {
        return written_;
    }
    return std::nullopt;
}

void RecordDialog::Record_Click() {
    if (!device_) {
        return;
    }
    switch (state_) {
    case State::Monitoring:
        port_.StopAllSound();
        Tick(); // what came before the click is no part of the take
        take_ = Take(take_.LimitFrames());
        droppedAtStart_ = device_->Dropped();
        Show(State::Recording, "Recording...");
        break;
    case State::Recording:
        Tick(); // the sound up to the click
        if (state_ == State::Recording) {
            Save();
        }
        break;
    case State::Unsaved:
        Save();
        break;
    }
}

void RecordDialog::Tick() {
    if (!device_) {
        return;
    }
    drained_.clear();
    device_->Drain(drained_);
    meter_.Feed(drained_.data(), drained_.size());
    bar_->SetLevels(meter_.PeakDbfs(), meter_.RmsDbfs());
    levels_->setText(QString::fromStdString("Peak: " + DbText(meter_.PeakDbfs()) +
                                            " dBFS    RMS: " + DbText(meter_.RmsDbfs()) + " dBFS"));
    const LevelMeter::Word word = meter_.Status();
    word_->setText(QString::fromStdString(LevelWord()));
    word_->setStyleSheet(word == LevelMeter::Word::Clipping   ? "color: #d02020;"
                         : word == LevelMeter::Word::TooQuiet ? "color: #c07000;"
                                                              : "");
    if (state_ != State::Recording) {
        return;
    }
    take_.Append(drained_.data(), drained_.size());
    elapsed_->setText(QString::fromStdString("Elapsed: " + Elapsed()));
    if (device_->Dropped() != droppedAtStart_) {
        message_->setText("Recording... some sound was lost: the computer was too busy.");
    }
    if (take_.Full()) {
        Save();
    }
}

void RecordDialog::Save() {
    if (take_.Frames() == 0) {
        Show(State::Monitoring, "Nothing was recorded.");
        return;
    }
    const QString folder = QString::fromStdString(folder_);
    const QString path = FreeTakePath(folder);
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    std::string why;
    if (!QDir().mkpath(folder)) {
        why = "the folder " + folder_ + " cannot be made";
    } else {
        why = WriteWave16Mono(path.toStdString(), take_.Samples(), kRecordRate);
    }
    QGuiApplication::restoreOverrideCursor();
    if (!why.empty()) {
        // The take stays in memory; "Save" tries again.
        Show(State::Unsaved, "Cannot save the recording as " + path.toStdString() + ": " + why);
        return;
    }
    written_ = path.toStdString();
    timer_->stop();
    accept();
}

void RecordDialog::Show(State s, const std::string& message) {
    state_ = s;
    record_->setText(s == State::Recording ? kStopCaption
                     : s == State::Unsaved ? kSaveCaption
                                           : kRecordCaption);
    message_->setText(QString::fromStdString(message));
}

std::string RecordDialog::Message() const {
    return message_->text().toStdString();
}

std::string RecordDialog::LevelWord() const {
    switch (meter_.Status()) {
    case LevelMeter::Word::Clipping:
        return "Clipping";
    case LevelMeter::Word::TooQuiet:
        return "Too quiet";
    case LevelMeter::Word::None:
        break;
    }
    return {};
}

std::string RecordDialog::Elapsed() const {
    return ElapsedText(take_.Frames(), kRecordRate) + " of " +
           ElapsedText(take_.LimitFrames(), kRecordRate);
}
