#include "harmonics_window.h"

#include "harmonics_table.h"
#include "note_naming.h"
#include "peak_refine.h"
#include "spectrum_view.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const char* const kTitle = "Harmonics";
const char* const kNoAnalysis = "No analysis yet: transform a selection with FFT.";
const char* const kNoComb = "Show the comb with Harmonics on to read its partials.";
const char* const kColumnNames[] = {"n",          "Line (Hz)", "Measured (Hz)", "Cents",
                                    "Level (dB)", "Mute",      "Solo"};
constexpr double kSmallestCentsRange = 5.0; // the curve always spans at least +/- 5 cents
constexpr int kCurveHeightPx = 130;

} // namespace

// The deviations in cents against n: a dot for every measured line, joined, about a zero line.
class CentsCurve : public QWidget {
  public:
    explicit CentsCurve(QWidget* parent) : QWidget(parent) {
        setMinimumHeight(kCurveHeightPx);
        setAccessibleName("Deviation in cents against n");
    }
    void SetPoints(std::vector<std::pair<int, double>> points) {
        if (points != points_) {
            points_ = std::move(points);
            update();
        }
    }
    const std::vector<std::pair<int, double>>& Points() const { return points_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), palette().base());
        const QFontMetrics fm = p.fontMetrics();
        const int left = fm.horizontalAdvance("+00.0") + 8;
        const int top = fm.height() / 2 + 4;
        const int bottom = height() - fm.height() - 6;
        const int right = width() - 10;
        double range = kSmallestCentsRange;
        for (const auto& [n, c] : points_) {
            range = std::max(range, std::abs(c) * 1.15);
        }
        range = std::ceil(range);
        const auto x = [&](double n) { return left + (n - 1) * (right - left) / (kCombLines - 1); };
        const auto y = [&](double c) { return top + (range - c) * (bottom - top) / (2 * range); };

        p.setPen(palette().mid().color());
        p.drawRect(QRectF(left, top, right - left, bottom - top));
        p.setPen(palette().text().color());
        p.drawLine(QPointF(left, y(0)), QPointF(right, y(0)));
        const auto label = [&](double c) {
            const QString t = c > 0 ? "+" + QString::number(c) : QString::number(c);
            p.drawText(QRectF(0, y(c) - fm.height() / 2.0, left - 4, fm.height()),
                       Qt::AlignRight | Qt::AlignVCenter, t);
        };
        label(range);
        label(0);
        label(-range);
        for (int n = 1; n <= kCombLines; n += (n == 1 ? 3 : 4)) { // 1, 4, 8, 12, 16
            p.drawText(QRectF(x(n) - 20, bottom + 2, 40, fm.height()), Qt::AlignCenter,
                       QString::number(n));
        }
        p.drawText(QRectF(left, bottom + 2, right - left, fm.height()), Qt::AlignRight, "n");
        p.drawText(QRectF(left + 4, top, right - left, fm.height()), Qt::AlignLeft, "cents");

        QPen line(QColor(0, 110, 200), 1.5);
        p.setPen(line);
        for (std::size_t i = 1; i < points_.size(); ++i) {
            p.drawLine(QPointF(x(points_[i - 1].first), y(points_[i - 1].second)),
                       QPointF(x(points_[i].first), y(points_[i].second)));
        }
        p.setBrush(QColor(0, 110, 200));
        for (const auto& [n, c] : points_) {
            p.drawEllipse(QPointF(x(n), y(c)), 3.0, 3.0);
        }
    }

  private:
    std::vector<std::pair<int, double>> points_;
};

frmHarmonics::frmHarmonics(Form101& spectrum, QWidget* parent)
    : QDialog(parent), spectrum_(spectrum) {
    setWindowTitle(kTitle);
    setModal(false);
    BuildWindow();
}

frmHarmonics::~frmHarmonics() = default;

void frmHarmonics::BuildWindow() {
    auto* layout = new QVBoxLayout(this);
    heading_ = new QLabel(this);
    layout->addWidget(heading_);

    table_ = new QTableWidget(kCombLines, kColumns, this);
    for (int c = 0; c < kColumns; ++c) {
        table_->setHorizontalHeaderItem(c, new QTableWidgetItem(kColumnNames[c]));
    }
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    for (int r = 0; r < kCombLines; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem;
            if (c == ColMute || c == ColSolo) {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
            } else {
                item->setFlags(Qt::ItemIsEnabled);
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            table_->setItem(r, c, item);
        }
    }
    // Sized for the widest texts the columns take.
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->item(kCombLines - 1, ColN)->setText("17");
    table_->item(0, ColLine)->setText("22050.00");
    table_->item(0, ColMeasured)->setText("beyond the band");
    table_->item(0, ColCents)->setText("+100.0");
    table_->item(0, ColLevel)->setText("-60.0");
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setSectionResizeMode(ColMeasured, QHeaderView::Stretch);
    table_->setMinimumHeight(table_->verticalHeader()->length() +
                             table_->horizontalHeader()->height() + 2 * table_->frameWidth());
    table_->setMinimumWidth(table_->horizontalHeader()->length() + 2 * table_->frameWidth());
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(table_, 1);
    connect(table_, &QTableWidget::itemChanged, this,
            [this](QTableWidgetItem* item) { SwitchChanged(item); });

    curve_ = new CentsCurve(this);
    layout->addWidget(curve_);

    auto* presets = new QHBoxLayout;
    const auto all = PartialPresets();
    for (std::size_t i = 0; i < all.size(); ++i) {
        presets_[i] = new QPushButton(QString::fromStdString(PresetCaption(all[i])), this);
        presets_[i]->setAutoDefault(false);
        presets->addWidget(presets_[i]);
        connect(presets_[i], &QPushButton::clicked, this, [this, p = all[i]] { ChoosePreset(p); });
    }
    layout->addLayout(presets);

    auto* actions = new QHBoxLayout;
    play_ = new QPushButton("&Play harmonics", this);
    save_ = new QPushButton("&Save harmonics as...", this);
    play_->setAutoDefault(false);
    save_->setAutoDefault(false);
    actions->addWidget(play_);
    actions->addWidget(save_);
    actions->addStretch();
    layout->addLayout(actions);
    connect(play_, &QPushButton::clicked, this, [this] {
        if (PlayRequested) {
            PlayRequested();
        }
    });
    connect(save_, &QPushButton::clicked, this, [this] {
        if (SaveRequested) {
            SaveRequested();
        }
    });

    message_ = new QLabel(this);
    message_->setWordWrap(true);
    layout->addWidget(message_);
    resize(sizeHint().width(), 0);
}

void frmHarmonics::ShowWindow() {
    show();
    raise();
    activateWindow();
    play_->setFocus();
    Refresh();
}

void frmHarmonics::Refresh() {
    if (!isVisible()) {
        return;
    }
    ++readings_;
    const std::optional<CombReading> comb = spectrum_.ReadComb();
    std::vector<std::pair<int, double>> points;
    if (!comb) {
        heading_->setText(spectrum_.NPontGraf < 1 ? kNoAnalysis : kNoComb);
        for (int r = 0; r < kCombLines; ++r) {
            for (int c = ColN; c <= ColLevel; ++c) {
                SetText(r, static_cast<Column>(c), c == ColN ? std::to_string(r + 1) : "");
            }
        }
        curve_->SetPoints({});
        return;
    }
    const double f0 = spectrum_.CombFundamentalHz();
    const auto rows = HarmonicsRows(*comb);
    const std::string below = CombBelowFirstBinText(*comb, f0);
    std::string heading = below + ".";
    if (below.empty()) {
        heading = "Comb fundamental " + rows[0].lineHz + " Hz";
        if (const auto note = NearestTemperedNote(f0, 0.0)) {
            heading +=
                " (" + NoteLetters(note->reading.row) + std::to_string(note->reading.octave) + ")";
        }
    }
    heading_->setText(QString::fromStdString(heading));
    for (int r = 0; r < kCombLines; ++r) {
        const HarmonicsRow& row = rows[static_cast<std::size_t>(r)];
        SetText(r, ColN, row.n);
        SetText(r, ColLine, row.lineHz);
        SetText(r, ColMeasured, row.measuredHz);
        SetText(r, ColCents, row.cents);
        SetText(r, ColLevel, row.levelDb);
        const PartialReading& line = comb->lines[static_cast<std::size_t>(r)];
        if (line.status == PartialStatus::Measured) {
            points.emplace_back(line.n, line.cents);
        }
    }
    curve_->SetPoints(std::move(points));
}

void frmHarmonics::SetText(int row, Column column, const std::string& text) {
    QTableWidgetItem* item = table_->item(row, column);
    const QString t = QString::fromStdString(text);
    if (item->text() != t) {
        item->setText(t);
    }
}

PartialMask frmHarmonics::Audible() const {
    return AudibleLines(muted_, soloed_);
}

void frmHarmonics::ChoosePreset(PartialPreset p) {
    muted_ = ~PresetMask(p);
    soloed_.reset();
    ShowSwitches();
}

void frmHarmonics::SetMuted(int n, bool on) {
    if (n >= 1 && n <= kCombLines) {
        muted_.set(static_cast<std::size_t>(n - 1), on);
        ShowSwitches();
    }
}

void frmHarmonics::SetSoloed(int n, bool on) {
    if (n >= 1 && n <= kCombLines) {
        soloed_.set(static_cast<std::size_t>(n - 1), on);
        ShowSwitches();
    }
}

void frmHarmonics::ShowSwitches() {
    showingSwitches_ = true;
    for (int r = 0; r < kCombLines; ++r) {
        const auto i = static_cast<std::size_t>(r);
        table_->item(r, ColMute)->setCheckState(muted_.test(i) ? Qt::Checked : Qt::Unchecked);
        table_->item(r, ColSolo)->setCheckState(soloed_.test(i) ? Qt::Checked : Qt::Unchecked);
    }
    showingSwitches_ = false;
}

void frmHarmonics::SwitchChanged(QTableWidgetItem* item) {
    if (showingSwitches_ || (item->column() != ColMute && item->column() != ColSolo)) {
        return;
    }
    const auto i = static_cast<std::size_t>(item->row());
    PartialMask& mask = item->column() == ColMute ? muted_ : soloed_;
    mask.set(i, item->checkState() == Qt::Checked);
}

void frmHarmonics::ShowMessage(const std::string& text) {
    message_->setText(QString::fromStdString(text));
}

std::string frmHarmonics::Message() const {
    return message_->text().toStdString();
}

std::string frmHarmonics::Heading() const {
    return heading_->text().toStdString();
}

std::string frmHarmonics::Cell(int row, Column column) const {
    return table_->item(row, column)->text().toStdString();
}

const std::vector<std::pair<int, double>>& frmHarmonics::CurvePoints() const {
    return curve_->Points();
}

QPushButton& frmHarmonics::PresetButton(PartialPreset p) const {
    return *presets_.at(static_cast<std::size_t>(p));
}
