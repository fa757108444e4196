#include "control_widgets.h"

#include "event_dispatch.h"

#include "base/file_names.h"

#include "colours.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

namespace {

// A caption may hold a file name whose bytes are not UTF-8.
QString Text(const std::string& s) {
    return ReadableText(s);
}

std::int16_t ButtonSet(Qt::MouseButtons buttons) {
    return static_cast<std::int16_t>(((buttons & Qt::LeftButton) ? kLeftButton : 0) |
                                     ((buttons & Qt::RightButton) ? kRightButton : 0) |
                                     ((buttons & Qt::MiddleButton) ? kMiddleButton : 0));
}

std::int16_t ShiftState(Qt::KeyboardModifiers m) {
    return static_cast<std::int16_t>(((m & Qt::ShiftModifier) ? 1 : 0) |
                                     ((m & Qt::ControlModifier) ? 2 : 0) |
                                     ((m & Qt::AltModifier) ? 4 : 0));
}

} // namespace

// ---- Label ----

Label::Label(QWidget* parent, std::string caption, bool autoSize)
    : Control(nullptr), label_(new QLabel(parent)), autoSize_(autoSize) {
    widget_ = label_;
    label_->setTextFormat(Qt::PlainText);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Restyle();
    SetCaption(caption);
}

void Label::SetCaption(const std::string& text) {
    caption_ = text;
    label_->setText(Text(text));
    ApplyGeometry();
}

void Label::SetAutoSize(bool on) {
    autoSize_ = on;
    ApplyGeometry();
}

// An AutoSize label takes the size of its text whatever size it is given.
void Label::ApplyGeometry() {
    if (autoSize_) {
        const QSize hint = label_->sizeHint();
        width_ = caption_.empty() ? 0.0 : PxToTwips(hint.width());
        height_ = PxToTwips(hint.height());
    }
    Control::ApplyGeometry();
}

void Label::SetAlignment(Alignment a) {
    Qt::Alignment h = a == Alignment::Left    ? Qt::AlignLeft
                      : a == Alignment::Right ? Qt::AlignRight
                                              : Qt::AlignHCenter;
    label_->setAlignment(h | Qt::AlignTop);
}

void Label::SetForeColor(Colour c) {
    foreColor_ = c;
    Restyle();
}

void Label::SetBackColor(Colour c) {
    backColor_ = c;
    opaque_ = true;
    Restyle();
}

void Label::SetBorder(bool thin) {
    label_->setFrameStyle(thin ? (QFrame::Box | QFrame::Plain) : QFrame::NoFrame);
    label_->setLineWidth(1);
}

void Label::SetFont(const std::string& family, double pointSize, bool bold) {
    QFont f(Text(family));
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    label_->setFont(f);
    ApplyGeometry();
}

void Label::Restyle() {
    QPalette pal = label_->palette();
    pal.setColor(QPalette::WindowText, ToQColor(foreColor_));
    pal.setColor(QPalette::Window, ToQColor(backColor_));
    label_->setPalette(pal);
    label_->setAutoFillBackground(opaque_);
}

// ---- CommandButton ----

CommandButton::CommandButton(QWidget* parent, const std::string& caption)
    : Control(nullptr), button_(new QPushButton(Text(caption), parent)) {
    widget_ = button_;
    QObject::connect(button_, &QPushButton::clicked, button_, [this] { Dispatch(button_, Click); });
}

std::string CommandButton::Caption() const {
    return button_->text().toStdString();
}
void CommandButton::SetCaption(const std::string& text) {
    button_->setText(Text(text));
}
void CommandButton::SetDefault(bool on) {
    button_->setDefault(on);
}

void CommandButton::Press() {
    if (button_->isEnabled()) {
        button_->click();
    }
}

// ---- OptionButton ----

OptionButton::OptionButton(QWidget* parent, const std::string& caption)
    : Control(nullptr), radio_(new QRadioButton(Text(caption), parent)) {
    widget_ = radio_;
    QObject::connect(radio_, &QRadioButton::toggled, radio_, [this](bool on) {
        if (on) {
            Dispatch(radio_, Click);
        }
    });
}

bool OptionButton::Value() const {
    return radio_->isChecked();
}
void OptionButton::SetValue(bool on) {
    radio_->setChecked(on);
}
std::string OptionButton::Caption() const {
    return radio_->text().toStdString();
}

// ---- Frame ----

Frame::Frame(QWidget* parent, const std::string& caption)
    : Control(nullptr), box_(new QGroupBox(Text(caption), parent)) {
    widget_ = box_;
    // Without a name of its own a widget is read out by the caption of the group box that
    // holds it, so a frame inside a frame would take its container's caption.
    box_->setAccessibleName(Text(caption));
}

std::string Frame::Caption() const {
    return box_->title().toStdString();
}

void Frame::SetBackColor(Colour c) {
    QPalette pal = box_->palette();
    pal.setColor(QPalette::Window, ToQColor(c));
    box_->setPalette(pal);
    box_->setAutoFillBackground(true);
}

// ---- HScrollBar ----

HScrollBar::HScrollBar(QWidget* parent)
    : Control(nullptr), bar_(new QScrollBar(Qt::Horizontal, parent)) {
    widget_ = bar_;
    QObject::connect(bar_, &QScrollBar::valueChanged, bar_,
                     [this](int) { Dispatch(bar_, Change); });
}

void HScrollBar::SetRange(int min, int max, int smallChange, int largeChange) {
    bar_->setRange(min, max);
    bar_->setSingleStep(smallChange);
    bar_->setPageStep(largeChange);
}

int HScrollBar::Value() const {
    return bar_->value();
}
void HScrollBar::SetValue(int v) {
    bar_->setValue(v);
}
int HScrollBar::Min() const {
    return bar_->minimum();
}
int HScrollBar::Max() const {
    return bar_->maximum();
}
int HScrollBar::SmallChange() const {
    return bar_->singleStep();
}
int HScrollBar::LargeChange() const {
    return bar_->pageStep();
}

// ---- ImageBox ----

namespace detail {

class ImageWidget : public QWidget {
  public:
    ImageWidget(ImageBox& owner, QWidget* parent) : QWidget(parent), owner_(owner) {
        setMouseTracking(true);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (owner_.picture_.isNull()) {
            return;
        }
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(rect(), owner_.picture_);
    }
    void mousePressEvent(QMouseEvent* e) override { Send(owner_.MouseDown, e, e->button()); }
    void mouseMoveEvent(QMouseEvent* e) override { Send(owner_.MouseMove, e, e->buttons()); }
    void mouseReleaseEvent(QMouseEvent* e) override { Send(owner_.MouseUp, e, e->button()); }

  private:
    void Send(const MouseHandler& h, QMouseEvent* e, Qt::MouseButtons buttons) {
        if (h) {
            Dispatch(this, [&] {
                h(ButtonSet(buttons), ShiftState(e->modifiers()),
                  static_cast<float>(PxToTwips(e->position().x())),
                  static_cast<float>(PxToTwips(e->position().y())));
            });
        }
    }
    ImageBox& owner_;
};

} // namespace detail

ImageBox::ImageBox(QWidget* parent) : Control(nullptr) {
    widget_ = new detail::ImageWidget(*this, parent);
}

void ImageBox::SetPicture(const QImage& image) {
    picture_ = image;
    widget_->update();
}

// ---- LineControl ----

namespace {

class LineWidget : public QWidget {
  public:
    LineWidget(QWidget* parent, QColor colour) : QWidget(parent), colour_(colour) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
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

LineControl::LineControl(QWidget* parent, Colour colour, int widthPx)
    : Control(new LineWidget(parent, ToQColor(colour))), colour_(colour), widthPx_(widthPx) {}

void LineControl::SetEnds(double x1, double y1, double x2, double y2) {
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    const double w = PxToTwips(widthPx_);
    if (x1 == x2) {
        Move(x1, std::min(y1, y2), w, std::max(std::abs(y2 - y1), w));
    } else {
        Move(std::min(x1, x2), y1, std::max(std::abs(x2 - x1), w), w);
    }
    widget_->raise();
}

// ---- Timer ----

Timer::Timer(int intervalMs, bool enabled, const QWidget* owner)
    : timer_(std::make_unique<QTimer>()), owner_(owner), interval_(intervalMs), enabled_(enabled) {
    QObject::connect(timer_.get(), &QTimer::timeout, timer_.get(),
                     [this] { Dispatch(owner_, Tick); });
    Restart();
}

Timer::~Timer() = default;

void Timer::SetEnabled(bool on) {
    enabled_ = on;
    Restart();
}

void Timer::SetInterval(int ms) {
    interval_ = ms;
    Restart();
}

void Timer::Restart() {
    timer_->stop();
    if (enabled_ && interval_ > 0) {
        timer_->start(interval_);
    }
}
