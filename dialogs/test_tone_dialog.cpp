#include "test_tone_dialog.h"

#include "base/numbers.h"
#include "base/wave_writer.h"
#include "record_take.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <bit>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kTitle = "New test tone";
constexpr std::int32_t kFewestPoints = 32;
constexpr std::int32_t kMostPoints = 32768;
constexpr std::int32_t kUsualPoints = 4096;

// What the dialog shows first: an A4 sine of two seconds at CD rate.
constexpr const char* kStartHz = "440";
constexpr const char* kStartLevels = "0 -6 -9.5 -12";
constexpr const char* kStartSecondHz = "660";
constexpr const char* kStartSecondDb = "-6";
constexpr const char* kStartNoiseDb = "-40";
constexpr const char* kStartSeconds = "2";
constexpr std::int32_t kStartRate = 44100;

const char* const kWaveforms[] = {"Sine", "Square", "Sawtooth", "Triangle", "Harmonic levels (dB)"};

std::string Hz(double v) {
    return num::DoubleText(std::round(v * 100.0) / 100.0);
}

std::string Transform(std::int32_t points, std::int32_t rate) {
    return "a " + num::IntText(points) + "-point transform at " + num::IntText(rate) + " Hz";
}

std::string LocalTime(const TestTone& tone) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return TestToneFileName(tone, local);
}

QLineEdit* Field(QWidget* parent, const char* text, const char* name) {
    auto* edit = new QLineEdit(QString::fromUtf8(text), parent);
    edit->setAccessibleName(QString::fromUtf8(name));
    return edit;
}

} // namespace

TestToneDialog::TestToneDialog(std::string folder, std::int32_t fftPoints, QWidget* parent)
    : QDialog(parent), folder_(std::move(folder)) {
    BuildWindow(fftPoints);
    Refresh();
}

TestToneDialog::~TestToneDialog() = default;

void TestToneDialog::BuildWindow(std::int32_t fftPoints) {
    setWindowTitle(kTitle);
    setModal(true);

    fundamental_ = Field(this, kStartHz, "Fundamental (Hz)");
    ontoBin_ = new QPushButton("onto the nearest bin", this);
    halfway_ = new QPushButton("halfway between two bins", this);
    points_ = new QComboBox(this);
    points_->setAccessibleName("Transform points");
    for (std::int32_t p = kFewestPoints; p <= kMostPoints; p *= 2) {
        points_->addItem(QString::number(p), p);
    }
    const bool usable = fftPoints >= kFewestPoints && fftPoints <= kMostPoints &&
                        std::has_single_bit(static_cast<std::uint32_t>(fftPoints));
    points_->setCurrentIndex(points_->findData(usable ? fftPoints : kUsualPoints));
    spacing_ = new QLabel(this);

    waveform_ = new QComboBox(this);
    waveform_->setAccessibleName("Waveform");
    for (const char* w : kWaveforms) {
        waveform_->addItem(w);
    }
    levels_ = Field(this, kStartLevels, "Harmonic levels (dB)");
    second_ = new QCheckBox("Second tone", this);
    secondHz_ = Field(this, kStartSecondHz, "Second tone (Hz)");
    secondLevel_ = Field(this, kStartSecondDb, "Second tone level (dB)");
    noise_ = new QCheckBox("Noise", this);
    noiseLevel_ = Field(this, kStartNoiseDb, "Noise level (dB)");
    seconds_ = Field(this, kStartSeconds, "Duration (s)");
    rate_ = new QComboBox(this);
    rate_->setAccessibleName("Sample rate (Hz)");
    for (const std::int32_t r : kTestToneRates) {
        rate_->addItem(QString::number(r), r);
    }
    rate_->setCurrentIndex(rate_->findData(kStartRate));
    message_ = new QLabel(this);
    message_->setWordWrap(true);
    write_ = new QPushButton("&Write and open", this);
    cancel_ = new QPushButton("Cancel", this);
    write_->setDefault(true);
    cancel_->setAutoDefault(false);

    auto* move = new QHBoxLayout;
    move->addWidget(ontoBin_);
    move->addWidget(halfway_);
    auto* bins = new QHBoxLayout;
    bins->addWidget(points_);
    bins->addWidget(spacing_, 1);
    auto* second = new QHBoxLayout;
    second->addWidget(secondHz_);
    second->addWidget(new QLabel("Hz at", this));
    second->addWidget(secondLevel_);
    second->addWidget(new QLabel("dB", this));
    auto* noise = new QHBoxLayout;
    noise->addWidget(noiseLevel_);
    noise->addWidget(new QLabel("dB", this));
    noise->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow("&Fundamental (Hz):", fundamental_);
    form->addRow("Move it:", move);
    form->addRow("Bins of:", bins);
    form->addRow("Wa&veform:", waveform_);
    form->addRow("Harmonic &levels (dB):", levels_);
    form->addRow(second_, second);
    form->addRow(noise_, noise);
    form->addRow("&Duration (s):", seconds_);
    form->addRow("Sample &rate (Hz):", rate_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(write_);
    buttons->addWidget(cancel_);
    auto* column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(message_);
    column->addLayout(buttons);

    connect(ontoBin_, &QPushButton::clicked, this, [this] { OntoBin_Click(); });
    connect(halfway_, &QPushButton::clicked, this, [this] { Halfway_Click(); });
    connect(write_, &QPushButton::clicked, this, [this] { Write_Click(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    const auto refresh = [this] { Refresh(); };
    connect(waveform_, &QComboBox::currentIndexChanged, this, refresh);
    connect(rate_, &QComboBox::currentIndexChanged, this, refresh);
    connect(points_, &QComboBox::currentIndexChanged, this, refresh);
    connect(second_, &QCheckBox::toggled, this, refresh);
    connect(noise_, &QCheckBox::toggled, this, refresh);
}

std::optional<std::string> TestToneDialog::Run() {
    if (exec() == QDialog::Accepted && !written_.empty()) {
        return written_;
    }
    return std::nullopt;
}

void TestToneDialog::Refresh() {
    levels_->setEnabled(waveform_->currentIndex() ==
                        static_cast<int>(ToneWaveform::HarmonicLevels));
    secondHz_->setEnabled(second_->isChecked());
    secondLevel_->setEnabled(second_->isChecked());
    noiseLevel_->setEnabled(noise_->isChecked());
    const double width = static_cast<double>(ChosenRate()) / BinPoints();
    spacing_->setText(
        QString::fromStdString("points at the sample rate below: bins " + Hz(width) + " Hz apart"));
}

std::int32_t TestToneDialog::ChosenRate() const {
    return rate_->currentData().toInt();
}

std::int32_t TestToneDialog::BinPoints() const {
    return points_->currentData().toInt();
}

TestToneForm TestToneDialog::Form() const {
    TestToneForm f;
    f.fundamentalHz = fundamental_->text().toStdString();
    f.waveform = static_cast<ToneWaveform>(waveform_->currentIndex());
    f.harmonicLevels = levels_->text().toStdString();
    f.secondTone = second_->isChecked();
    f.secondHz = secondHz_->text().toStdString();
    f.secondLevelDb = secondLevel_->text().toStdString();
    f.noise = noise_->isChecked();
    f.noiseLevelDb = noiseLevel_->text().toStdString();
    f.seconds = seconds_->text().toStdString();
    f.rate = ChosenRate();
    return f;
}

std::optional<double> TestToneDialog::CheckedFundamental() {
    // The fundamental's own check, with every other field at a value it accepts.
    TestToneForm f = Form();
    f.waveform = ToneWaveform::Sine;
    f.secondTone = false;
    f.noise = false;
    f.seconds = std::string(kStartSeconds);
    const TestToneCheck check = CheckTestTone(f);
    if (!check.tone) {
        ShowMessage(check.message, true);
        return std::nullopt;
    }
    return check.tone->fundamentalHz;
}

void TestToneDialog::OntoBin_Click() {
    const auto f = CheckedFundamental();
    if (!f) {
        return;
    }
    const std::int32_t points = BinPoints();
    const std::int32_t rate = ChosenRate();
    const double onBin = OntoNearestBin(*f, points, rate);
    fundamental_->setText(QString::fromStdString(num::DoubleText(onBin)));
    const auto k = std::lround(onBin * points / rate);
    ShowMessage("On bin " + num::IntText(k) + " of " + Transform(points, rate) + ".", false);
}

void TestToneDialog::Halfway_Click() {
    const auto f = CheckedFundamental();
    if (!f) {
        return;
    }
    const std::int32_t points = BinPoints();
    const std::int32_t rate = ChosenRate();
    const double between = HalfwayBetweenBins(*f, points, rate);
    fundamental_->setText(QString::fromStdString(num::DoubleText(between)));
    const auto k = static_cast<std::int64_t>(std::floor(between * points / rate));
    ShowMessage("Halfway between bins " + num::IntText(k) + " and " + num::IntText(k + 1) + " of " +
                    Transform(points, rate) + ".",
                false);
}

void TestToneDialog::Write_Click() {
    const TestToneCheck check = CheckTestTone(Form());
    if (!check.tone) {
        ShowMessage(check.message, true);
        return;
    }
    // A minute of tone takes a moment to make.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<std::int16_t> samples = MakeTestTone(*check.tone);
    std::error_code made;
    std::filesystem::create_directories(folder_, made);
    std::string path;
    std::string why;
    if (made) {
        why = "the folder " + folder_ + " cannot be made: " + made.message();
    } else {
        path = FreeFilePath(folder_, LocalTime(*check.tone));
        why = WriteWave16Mono(path, samples, check.tone->rate);
    }
    QGuiApplication::restoreOverrideCursor();
    if (!why.empty()) {
        std::string text = "Cannot write the test tone";
        if (!path.empty()) {
            text.append(" as ").append(path);
        }
        text.append(": ").append(why);
        ShowMessage(text, true);
        return;
    }
    written_ = path;
    accept();
}

void TestToneDialog::ShowMessage(const std::string& text, bool problem) {
    message_->setText(QString::fromStdString(text));
    message_->setStyleSheet(problem ? "color: #c02020;" : "");
}

std::string TestToneDialog::Message() const {
    return message_->text().toStdString();
}
