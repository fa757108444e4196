#include "picture_box.h"

#include "colours.h"
#include "event_dispatch.h"

#include <QFontMetricsF>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

std::int16_t ButtonSet(Qt::MouseButtons buttons) {
    std::int16_t set = 0;
    if (buttons & Qt::LeftButton) {
        set |= kLeftButton;
    }
    if (buttons & Qt::RightButton) {
        set |= kRightButton;
    }
    if (buttons & Qt::MiddleButton) {
        set |= kMiddleButton;
    }
    return set;
}

std::int16_t ShiftState(Qt::KeyboardModifiers mods) {
    std::int16_t shift = 0;
    if (mods & Qt::ShiftModifier) {
        shift |= 1;
    }
    if (mods & Qt::ControlModifier) {
        shift |= 2;
    }
    if (mods & Qt::AltModifier) {
        shift |= 4;
    }
    return shift;
}

} // namespace

namespace detail {

PictureWidget::PictureWidget(PictureBox& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PictureWidget::~PictureWidget() {
    EndPainter();
}

void PictureWidget::EnsureImage() {
    // Cheap when nothing changed: asking the screen for its pixel ratio is not.
    if (!image_.isNull() && size() == logicalSize_) {
        return;
    }
    Rebuild(devicePixelRatioF());
}

// A new backing image for the current size at `dpr`, keeping what was drawn.
void PictureWidget::Rebuild(qreal dpr) {
    const QSize want(std::max(1, static_cast<int>(std::lround(width() * dpr))),
                     std::max(1, static_cast<int>(std::lround(height() * dpr))));
    logicalSize_ = size();
    if (!image_.isNull() && image_.size() == want && image_.devicePixelRatio() == dpr) {
        return;
    }
    EndPainter();
    QImage fresh(want, QImage::Format_RGB32);
    fresh.setDevicePixelRatio(dpr);
    fresh.fill(ToQColor(owner_.backColor_));
    if (!image_.isNull()) {
        QPainter copy(&fresh);
        copy.drawImage(QRectF(QPointF(0, 0), QSizeF(image_.size()) / image_.devicePixelRatio()),
                       image_);
    }
    image_ = std::move(fresh);
}

QPainter& PictureWidget::Painter() {
    EnsureImage();
    if (!painter_) {
        painter_ = std::make_unique<QPainter>(&image_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->scale(1.0 / kTwipsPerPixel, 1.0 / kTwipsPerPixel);
    }
    return *painter_;
}

void PictureWidget::EndPainter() {
    FlushPending();
    painter_.reset();
}

void PictureWidget::FlushPending() {
    if (polyline_.empty() && points_.empty()) {
        return;
    }
    QPainter& p = *painter_;
    QPen pen(pendingColour_);
    pen.setCosmetic(true);
    pen.setWidthF(std::max<qreal>(1.0, std::round(image_.devicePixelRatio())));
    p.setPen(pen);
    if (polyline_.size() >= 2) {
        p.drawPolyline(polyline_.data(), static_cast<int>(polyline_.size()));
    }
    if (!points_.empty()) {
        p.drawPoints(points_.data(), static_cast<int>(points_.size()));
    }
    polyline_.clear();
    points_.clear();
}

void PictureWidget::Flush() {
    if (painter_) {
        FlushPending();
    }
}

QImage& PictureWidget::Image() {
    EndPainter();
    EnsureImage();
    return image_;
}

void PictureWidget::Clear(const QColor& colour) {
    polyline_.clear();
    points_.clear();
    EndPainter();
    EnsureImage();
    image_.fill(colour);
    update();
}

void PictureWidget::Restore(const QImage& image) {
    polyline_.clear();
    points_.clear();
    EndPainter();
    EnsureImage();
    if (image.size() == image_.size() && image.devicePixelRatio() == image_.devicePixelRatio()) {
        image_ = image; // shared until the next drawing copies it
    }
    update();
}

void PictureWidget::DrawPolylinePoint(const QColor& colour, QPointF from, QPointF to) {
    Painter();
    const bool continues = !polyline_.empty() && points_.empty() && colour == pendingColour_ &&
                           polyline_.back() == from;
    if (!continues) {
        FlushPending();
        pendingColour_ = colour;
        polyline_.push_back(from);
    }
    polyline_.push_back(to);
    MarkDirty();
}

// One repaint per batch of drawing: scheduling costs more than drawing a segment.
void PictureWidget::MarkDirty() {
    if (!dirty_) {
        dirty_ = true;
        update();
    }
}

void PictureWidget::DrawPoint(const QColor& colour, QPointF at) {
    Painter();
    // Aliased points go to the nearest pixel index, lines to the pixel that holds them;
    // half a pixel back puts a point where a line through it would be.
    const double half = kTwipsPerPixel / 2 * 0.999 / image_.devicePixelRatio();
    at -= QPointF(half, half);
    if (!polyline_.empty() || colour != pendingColour_) {
        FlushPending();
        pendingColour_ = colour;
    }
    points_.push_back(at);
    MarkDirty();
}

void PictureWidget::paintEvent(QPaintEvent*) {
    dirty_ = false;
    if (devicePixelRatioF() != image_.devicePixelRatio()) {
        Rebuild(devicePixelRatioF()); // moved to a screen of another pixel ratio
    }
    QImage& img = Image();
    QPainter p(this);
    p.drawImage(QPointF(0, 0), img);
}

void PictureWidget::resizeEvent(QResizeEvent*) {
    EnsureImage();
}

void PictureWidget::mousePressEvent(QMouseEvent* e) {
    if (owner_.MouseDown) {
        Dispatch(this, [&] {
            owner_.MouseDown(ButtonSet(e->button()), ShiftState(e->modifiers()),
                             static_cast<float>(PxToTwips(e->position().x())),
                             static_cast<float>(PxToTwips(e->position().y())));
        });
    }
}

void PictureWidget::mouseMoveEvent(QMouseEvent* e) {
    if (owner_.MouseMove) {
        Dispatch(this, [&] {
            owner_.MouseMove(ButtonSet(e->buttons()), ShiftState(e->modifiers()),
                             static_cast<float>(PxToTwips(e->position().x())),
                             static_cast<float>(PxToTwips(e->position().y())));
        });
    }
}

void PictureWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (owner_.MouseUp) {
        Dispatch(this, [&] {
            owner_.MouseUp(ButtonSet(e->button()), ShiftState(e->modifiers()),
                           static_cast<float>(PxToTwips(e->position().x())),
                           static_cast<float>(PxToTwips(e->position().y())));
        });
    }
}

void PictureWidget::keyPressEvent(QKeyEvent* e) {
    if (owner_.KeyDown) {
        Dispatch(this, [&] { owner_.KeyDown(e->key()); });
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace detail

PictureBox::PictureBox(QWidget* parent, bool bordered)
    : Control(nullptr), bordered_(bordered), backColor_(kSysButtonFace),
      foreColor_(kSysButtonText) {
    if (bordered) {
        auto* frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        frame->setLineWidth(2);
        widget_ = frame;
        canvas_ = new detail::PictureWidget(*this, frame);
    } else {
        canvas_ = new detail::PictureWidget(*this, parent);
        widget_ = canvas_;
    }
    font_ = canvas_->font();
}

PictureBox::~PictureBox() = default;

QWidget* PictureBox::Client() const {
    return canvas_;
}

void PictureBox::ApplyGeometry() {
    Control::ApplyGeometry();
    if (bordered_ && canvas_) {
        const int b = TwipsToPx(kBorderTwips);
        canvas_->setGeometry(b, b, std::max(0, widget_->width() - 2 * b),
                             std::max(0, widget_->height() - 2 * b));
    }
}

void PictureBox::SetBackColor(Colour c) {
    backColor_ = c;
    Cls();
}

void PictureBox::Cls() {
    canvas_->Clear(ToQColor(backColor_));
    CurrentX = 0;
    CurrentY = 0;
}

void PictureBox::PutImage(const QImage& image) {
    canvas_->Restore(image);
}

void PictureBox::Line(double x1, double y1, double x2, double y2) {
    Line(x1, y1, x2, y2, foreColor_);
}

void PictureBox::Line(double x1, double y1, double x2, double y2, Colour c) {
    canvas_->DrawPolylinePoint(Resolve(c), QPointF(x1, y1), QPointF(x2, y2));
    CurrentX = x2;
    CurrentY = y2;
}

void PictureBox::LineTo(double x2, double y2, Colour c) {
    Line(CurrentX, CurrentY, x2, y2, c);
}

void PictureBox::PSet(double x, double y, Colour c) {
    canvas_->DrawPoint(Resolve(c), QPointF(x, y));
    CurrentX = x;
    CurrentY = y;
}

void PictureBox::Circle(double x, double y, double radius, Colour c) {
    QPainter& p = canvas_->Painter();
    canvas_->Flush();
    QPen pen(ToQColor(c));
    pen.setCosmetic(true);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(x, y), radius, radius);
    CurrentX = x;
    CurrentY = y;
    canvas_->update();
}

void PictureBox::Print(const std::string& text) {
    QPainter& p = canvas_->Painter();
    canvas_->Flush();
    const QFontMetricsF metrics(font_);
    p.save();
    p.resetTransform();
    p.setFont(font_);
    p.setPen(ToQColor(foreColor_));
    const QPointF at(CurrentX / kTwipsPerPixel, CurrentY / kTwipsPerPixel + metrics.ascent());
    p.drawText(at, QString::fromStdString(text));
    p.restore();
    CurrentX = 0;
    CurrentY += PxToTwips(metrics.height());
    canvas_->update();
}

void PictureBox::SetPointer(MousePointer p) {
    pointer_ = p;
    switch (p) {
    case MousePointer::Default:
        canvas_->unsetCursor();
        break;
    case MousePointer::SizeWE:
        canvas_->setCursor(Qt::SizeHorCursor);
        break;
    case MousePointer::Hourglass:
        canvas_->setCursor(Qt::WaitCursor);
        break;
    }
}

QColor PictureBox::PixelAt(double x, double y) {
    const QImage& img = canvas_->Image();
    const qreal dpr = img.devicePixelRatio();
    // A twip position lies in the pixel that contains it (lines and points alike).
    const int px = static_cast<int>(std::floor(x / kTwipsPerPixel * dpr));
    const int py = static_cast<int>(std::floor(y / kTwipsPerPixel * dpr));
    if (px < 0 || py < 0 || px >= img.width() || py >= img.height()) {
        return QColor();
    }
    return img.pixelColor(px, py);
}

const QImage& PictureBox::Image() {
    return canvas_->Image();
}

QImage PictureBox::Snapshot() {
    canvas_->Image(); // pending drawing first
    return canvas_->grab().toImage();
}

const QColor& PictureBox::Resolve(Colour c) {
    if (c != resolvedValue_) {
        resolved_ = ToQColor(c);
        resolvedValue_ = c;
    }
    return resolved_;
}
