#include "spectrogram_strip.h"

#include "ui/twips.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// The spectrum picture's client starts this far right of the strip's left edge when the
// scroll bar is at 0: the spectrum picture's border.
constexpr double kPictureBorderTwips = 30;

// Black, through blue and teal (the spectrum's background), to yellow and white: level 0 .. 1.
QRgb LevelColour(double level) {
    struct Stop {
        double at;
        int r, g, b;
    };
    static constexpr Stop kStops[] = {{0.0, 0, 0, 0},
                                      {0.35, 0, 0, 140},
                                      {0.6, 0, 140, 140},
                                      {0.85, 255, 230, 0},
                                      {1.0, 255, 255, 255}};
    level = std::clamp(level, 0.0, 1.0);
    for (std::size_t i = 1; i < std::size(kStops); ++i) {
        if (level <= kStops[i].at) {
            const Stop& a = kStops[i - 1];
            const Stop& b = kStops[i];
            const double t = (level - a.at) / (b.at - a.at);
            return qRgb(static_cast<int>(a.r + t * (b.r - a.r)),
                        static_cast<int>(a.g + t * (b.g - a.g)),
                        static_cast<int>(a.b + t * (b.b - a.b)));
        }
    }
    return qRgb(255, 255, 255);
}

} // namespace

// Draws the rows it holds, newest at the top, shifted by the spectrum's scroll.
class StripWidget : public QWidget {
  public:
    explicit StripWidget(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void AddRow(const std::vector<float>& peaks, double fullScale) {
        const int width = static_cast<int>(peaks.size());
        const int height = std::max(1, this->height());
        if (rows_.width() != width || rows_.height() != height) {
            rows_ = QImage(std::max(1, width), height, QImage::Format_RGB32);
            rows_.fill(Qt::black);
            head_ = 0;
        }
        head_ = (head_ + rows_.height() - 1) % rows_.height();
        auto* line = reinterpret_cast<QRgb*>(rows_.scanLine(head_));
        for (int c = 0; c < width; ++c) {
            const double m = peaks[static_cast<std::size_t>(c)];
            const double db = m > 0 ? 20 * std::log10(m / fullScale) : kStripFloorDb;
            line[c] = LevelColour(1.0 - db / kStripFloorDb);
        }
        update();
    }
    void Clear() {
        rows_.fill(Qt::black);
        update();
    }
    void Scroll(double value) {
        offsetPx_ = (value - kPictureBorderTwips) / kTwipsPerPixel;
        update();
    }
    QImage Picture() const {
        QImage out(rows_.size(), rows_.format());
        const int h = rows_.height();
        for (int i = 0; i < h; ++i) {
            std::copy_n(rows_.constScanLine((head_ + i) % h), rows_.bytesPerLine(),
                        out.scanLine(i));
        }
        return out;
    }
    int Rows() const { return rows_.height(); }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (rows_.isNull()) {
            return;
        }
        const int h = rows_.height();
        const double x = -offsetPx_;
        // Rows head_ .. h-1 first (the newest at the top), then 0 .. head_-1.
        p.drawImage(QPointF(x, 0), rows_, QRectF(0, head_, rows_.width(), h - head_));
        if (head_ > 0) {
            p.drawImage(QPointF(x, h - head_), rows_, QRectF(0, 0, rows_.width(), head_));
        }
    }

  private:
    QImage rows_;
    int head_ = 0;
    double offsetPx_ = 0;
};

frmStrip::frmStrip() {
    widget_ = new StripWidget(Surface().Client());
    Surface().SetBackColor(0x000000);
    widget_->setAccessibleName("Spectrogram of the last 5 seconds");
}

frmStrip::~frmStrip() = default;

void frmStrip::AddRow(const std::vector<float>& peaks, double fullScale, double seconds) {
    widget_->setGeometry(0, 0, Surface().Client()->width(), Surface().Client()->height());
    const double rowSeconds = kStripSeconds / std::max(1, widget_->height());
    if (rowsAdded_ > 0 && seconds >= lastSeconds_ && seconds - lastSeconds_ < rowSeconds) {
        return;
    }
    // A long step (a frame late) adds the rows it spans, each showing this block.
    int rows = 1;
    if (rowsAdded_ > 0 && seconds > lastSeconds_) {
        rows = std::clamp(static_cast<int>((seconds - lastSeconds_) / rowSeconds), 1, 8);
        lastSeconds_ += rows * rowSeconds;
    } else {
        lastSeconds_ = seconds;
    }
    for (int i = 0; i < rows; ++i) {
        widget_->AddRow(peaks, fullScale);
    }
    rowsAdded_ += rows;
}

void frmStrip::Clear() {
    widget_->Clear();
    rowsAdded_ = 0;
}

void frmStrip::Scroll(double value) {
    widget_->Scroll(value);
}

QImage frmStrip::Picture() const {
    return widget_->Picture();
}

int frmStrip::Rows() const {
    return widget_->Rows();
}
