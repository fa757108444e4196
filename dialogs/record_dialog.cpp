#include "record_dialog.h"

#include "base/atomic_file.h"
#include "base/wave_writer.h"
#include "ui/services.h"

#include <QComboBox>
#include <QFileInfo>
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
#include <exception>
#include <filesystem>

namespace {

constexpr const char* kTitle = "Record";
constexpr const char* kRecordCaption = "&Record";
constexpr const char* kStopCaption = "&Stop";
constexpr const char* kSaveCaption = "&Save";
constexpr const char* kOpenCaption = "&Open";
constexpr const char* kSaveAsCaption = "Save &as...";
constexpr const char* kCancelCaption = "Cancel";
constexpr const char* kCloseCaption = "&Close";
constexpr const char* kSubfolder = "/Tonvexa";
constexpr const char* kWaveFilter = "Sound Wave Files (*.wav)|*.wav";
constexpr const char* kDiscardQuestion = "Discard this take?";
constexpr int kSourceNameChars = 36; // the source list's width, in characters

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

// The path in `folder` for a take named `fileName`; a second take within the same second gets
// " (2)", " (3)" ... rather than replacing the first.
std::string FreeTakePath(const std::string& folderPath, const std::string& fileName) {
    return FreeFilePath(folderPath, fileName);
}

std::string Quoted(const std::string& name) {
    return "\u201C" + name + "\u201D";
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

std::string WaveTakeWriter::Write(const std::string& path, const std::vector<std::int16_t>& samples,
                                  std::int32_t rate) {
    return WriteWave16Mono(path, samples, rate);
}

TakeFolder RecordingsFolder() {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (!music.isEmpty() && QFileInfo(music).isDir()) {
        return {(music + kSubfolder).toStdString(), false};
    }
    return {QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString(), true};
}

RecordDialog::RecordDialog(RecordPort& port, const Services& services, TakeFolder folder,
                           QWidget* parent, std::int64_t limitFrames, TakeWriter* writer)
    : QDialog(parent), port_(port), services_(services), folder_(std::move(folder)),
      writer_(writer ? *writer : waveWriter_), take_(limitFrames) {
    BuildWindow();
    std::string why;
    sources_ = ListCaptureSources(why);
    if (sources_.empty()) {
        source_->setEnabled(false);
        record_->setEnabled(false);
        message_->setText(QString("No capture device: there is no microphone to record from.\n(%1)")
                              .arg(QString::fromStdString(why)));
        return;
    }
    int chosen = 0;
    for (std::size_t i = 0; i < sources_.size(); ++i) {
        source_->addItem(QString::fromStdString(sources_[i].name));
        if (sources_[i].isDefault) {
            chosen = static_cast<int>(i);
        }
    }
    source_->setCurrentIndex(chosen);
    OpenSource(chosen);
    timer_->start();
}

RecordDialog::RecordDialog(RecordPort& port, const Services& services, TakeFolder folder, Take kept,
                           QWidget* parent, TakeWriter* writer)
    : QDialog(parent), port_(port), services_(services), folder_(std::move(folder)),
      writer_(writer ? *writer : waveWriter_), take_(std::move(kept)) {
    BuildWindow();
    source_->setEnabled(false);
    elapsed_->setText(QString::fromStdString("Kept: " + ElapsedText(take_.Frames(), kRecordRate)));
    state_ = State::Recording; // the take is complete: it is saved now, as a stopped one is
    Save();
}

RecordDialog::~RecordDialog() {
    if (saving_.valid()) {
        saving_.wait();
    }
}

void RecordDialog::BuildWindow() {
    setWindowTitle(kTitle);
    setModal(true);
    source_ = new QComboBox(this);
    source_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    source_->setMinimumContentsLength(kSourceNameChars);
    auto* sourceLabel = new QLabel("&Source:", this);
    sourceLabel->setBuddy(source_);
    bar_ = new LevelBar(this);
    levels_ = new QLabel(this);
    word_ = new QLabel(this);
    QFont bold = word_->font();
    bold.setBold(true);
    word_->setFont(bold);
    elapsed_ = new QLabel(this);
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    saveAs_ = new QPushButton(kSaveAsCaption, this);
    saveAs_->setAutoDefault(false);
    saveAs_->hide();
    record_ = new QPushButton(kRecordCaption, this);
    cancel_ = new QPushButton(kCancelCaption, this);
    // Return always means the Record/Stop button, even when Cancel has the focus; Escape
    // means Cancel.
    record_->setDefault(true);
    cancel_->setAutoDefault(false);

    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(sourceLabel);
    sourceRow->addWidget(source_, 1);
    auto* readout = new QHBoxLayout;
    readout->addWidget(levels_, 1);
    readout->addWidget(word_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveAs_);
    buttons->addWidget(record_);
    buttons->addWidget(cancel_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(sourceRow);
    column->addWidget(bar_);
    column->addLayout(readout);
    column->addWidget(elapsed_);
    column->addWidget(message_);
    column->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(kRecordTickMs);
    connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
    connect(source_, &QComboBox::activated, this, [this](int index) { Source_Click(index); });
    connect(record_, &QPushButton::clicked, this, [this] { Record_Click(); });
    connect(saveAs_, &QPushButton::clicked, this, [this] { SaveAs_Click(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    elapsed_->setText(QString::fromStdString("Elapsed: " + Elapsed()));
    levels_->setText("Peak: -inf dBFS    RMS: -inf dBFS");
}

void RecordDialog::OpenSource(int index) {
    device_.reset(); // one source at a time
    meter_ = LevelMeter();
    const CaptureSource& source = sources_[static_cast<std::size_t>(index)];
    std::string why;
    device_ = OpenCaptureDevice(source.device, why);
    if (!device_) {
        const std::string failure =
            source.isDefault
                ? "No capture device: there is no microphone to record from.\n(" + why + ")"
                : "Cannot record from " + Quoted(source.name) + ".\n" + why;
        Show(State::Monitoring, failure);
        return;
    }
    Show(State::Monitoring, "Press Record to start; a take stops by itself after " +
                                std::to_string(take_.LimitFrames() / kRecordRate) +
                                " s.\nTakes are saved in " + folder_.path +
                                (folder_.fallback ? " (there is no music folder)." : "."));
}

std::optional<std::string> RecordDialog::Run() {
    if (exec() == QDialog::Accepted && !written_.empty()) {
        return written_;
    }
    return std::nullopt;
}

void RecordDialog::Source_Click(int index) {
    if (state_ != State::Monitoring || index < 0 || index >= static_cast<int>(sources_.size())) {
        return;
    }
    OpenSource(index);
}

void RecordDialog::Record_Click() {
    switch (state_) {
    case State::Monitoring:
        if (!device_) {
            return;
        }
        port_.StopAllSound();
        Tick(); // what came before the click is no part of the take
        take_ = Take(take_.LimitFrames());
        droppedAtStart_ = device_->Dropped();
        Show(State::Recording, "Recording from " + Quoted(SourceName()) + "...");
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
    case State::Saving:
        break;
    case State::Saved:
        timer_->stop();
        accept();
        break;
    }
}

void RecordDialog::SaveAs_Click() {
    if (state_ != State::Unsaved) {
        return;
    }
    const bool folderThere = QFileInfo(QString::fromStdString(folder_.path)).isDir();
    const std::optional<std::string> path = services_.files->GetSaveFileName(
        kWaveFilter, folderThere ? folder_.path : std::string(), takeName_);
    if (!path || state_ != State::Unsaved) {
        return;
    }
    // The dialog leaves an existing file to the caller: replacing it is asked first.
    if (QFileInfo::exists(QString::fromStdString(*path)) &&
        !services_.messages->Confirm(
            Quoted(QFileInfo(QString::fromStdString(*path)).fileName().toStdString()) +
                " already exists. Replace it?",
            kTitle, "&Replace", "&Cancel")) {
        return;
    }
    StartSave(*path, false);
}

void RecordDialog::reject() {
    switch (state_) {
    case State::Monitoring:
    case State::Saved:
        break;
    case State::Recording:
    case State::Unsaved:
        if (!DiscardAsked()) {
            // Kept: a take that filled up while the question was open is saved now.
            if (state_ == State::Recording && take_.Full()) {
                Save();
            }
            return;
        }
        break;
    case State::Saving:
        // The file is being written: it is finished (or removed whole) first.
        closeAfterSave_ = true;
        cancel_->setEnabled(false);
        message_->setText(message_->text() + "\nThe window closes when the file is complete.");
        return;
    }
    timer_->stop();
    QDialog::reject();
}

bool RecordDialog::DiscardAsked() {
    if (asking_) {
        return false;
    }
    asking_ = true;
    const bool discard = services_.messages->Confirm(kDiscardQuestion, kTitle, "&Discard", "&Keep");
    asking_ = false;
    return discard;
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
        message_->setText(
            QString::fromStdString("Recording from " + Quoted(SourceName()) +
                                   "... some sound was lost: the computer was too busy."));
    }
    // While the discard question is open the take waits, full, for the answer.
    if (take_.Full() && !asking_) {
        Save();
    }
}

void RecordDialog::Save() {
    if (take_.Frames() == 0) {
        Show(State::Monitoring, "Nothing was recorded.");
        return;
    }
    if (state_ == State::Recording) {
        takeName_ = LocalTimeName();
    }
    StartSave(FreeTakePath(folder_.path, takeName_), true);
}

void RecordDialog::StartSave(const std::string& path, bool makeFolder) {
    savingPath_ = path;
    const std::string folder = makeFolder ? folder_.path : std::string();
    Show(State::Saving, "Saving the take as " + path + "...");
    setCursor(Qt::BusyCursor);
    // The take is not touched until the save has finished (the window is then Saving).
    saving_ = std::async(std::launch::async, [this, path, folder] {
        std::string why;
        try {
            why = folder.empty() ? std::string() : MakeFolders(folder);
            if (why.empty()) {
                why = writer_.Write(path, take_.Samples(), kRecordRate);
            }
        } catch (const std::exception& e) {
            why = std::string("Cannot save the take: ") + e.what();
        }
        QMetaObject::invokeMethod(
            this, [this] { SaveFinished(); }, Qt::QueuedConnection);
        return why;
    });
}

void RecordDialog::SaveFinished() {
    if (!saving_.valid()) {
        return;
    }
    const std::string why = saving_.get();
    unsetCursor();
    cancel_->setEnabled(true);
    if (why.empty()) {
        written_ = savingPath_;
        const std::filesystem::path saved(written_);
        const std::string folder = saved.parent_path().string();
        std::string where = "Saved as " + Quoted(saved.filename().string()) + "\nin " + folder;
        if (folder_.fallback && folder == folder_.path) {
            where += "\n(there is no music folder, so takes go to the program's data folder)";
        }
        Show(State::Saved, where + ".");
        if (closeAfterSave_) {
            timer_->stop();
            QDialog::reject();
        }
        return;
    }
    // The take stays in memory: "Save" tries again, "Save as..." chooses another place.
    Show(State::Unsaved, "The take is not saved.\n" + why +
                             "\nSave tries again; Save as... saves it somewhere else.");
    if (closeAfterSave_) {
        closeAfterSave_ = false;
        reject();
    }
}

void RecordDialog::Show(State s, const std::string& message) {
    state_ = s;
    record_->setText(s == State::Recording                       ? kStopCaption
                     : s == State::Unsaved || s == State::Saving ? kSaveCaption
                     : s == State::Saved                         ? kOpenCaption
                                                                 : kRecordCaption);
    record_->setEnabled(s != State::Saving && (s != State::Monitoring || device_ != nullptr));
    saveAs_->setVisible(s == State::Unsaved);
    cancel_->setText(s == State::Saved ? kCloseCaption : kCancelCaption);
    source_->setEnabled(s == State::Monitoring && sources_.size() > 0);
    message_->setText(QString::fromStdString(message));
}

std::string RecordDialog::SourceName() const {
    const int index = source_->currentIndex();
    return index >= 0 ? sources_[static_cast<std::size_t>(index)].name : std::string();
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
