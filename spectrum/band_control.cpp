#include "band_control.h"

#include <QPainter>

#include <algorithm>

namespace {

class BandWidget : public QWidget {
  public:
    BandWidget(QWidget* parent, QColor colour) : QWidget(parent), colour_(colour) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        colour_.setAlpha(BandControl::kBandOpacity);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), colour_);
    }

  private:
    QColor colour_;
};

} // namespace

BandControl::BandControl(QWidget* parent, Colour colour)
    : Control(new BandWidget(parent, ToQColor(colour))), colour_(colour) {}

void BandControl::SetSpan(double left, double right, double top, double bottom) {
    Move(left, top, std::max(right - left, PxToTwips(1)), bottom - top);
}
