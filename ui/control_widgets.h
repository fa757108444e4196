// Thin twip-placed wrappers over toolkit widgets: labels, buttons, option buttons, frames,
// a scroll bar, a stretched image, line controls and timers. No logic of the program.
#pragma once

#include "picture_box.h"
#include "twip_control.h"

#include <QImage>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QPushButton;
class QRadioButton;
class QGroupBox;
class QScrollBar;
class QTimer;

enum class Alignment { Left, Right, Center };

// A text label. With AutoSize it takes the size of its text whenever the caption changes.
class Label : public Control {
  public:
    explicit Label(QWidget* parent, std::string caption = {}, bool autoSize = false);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& text);
    void SetAutoSize(bool on);
    void SetAlignment(Alignment a);
    void SetForeColor(Colour c);
    Colour ForeColor() const { return foreColor_; }
    void SetBackColor(Colour c); // also makes the label opaque
    Colour BackColor() const { return backColor_; }
    void SetBorder(bool thin);
    void SetFont(const std::string& family, double pointSize, bool bold = false);

  protected:
    void ApplyGeometry() override;

  private:
    void Restyle();
    QLabel* label_;
    std::string caption_;
    bool autoSize_;
    Colour foreColor_ = kSysButtonText;
    Colour backColor_ = kSysButtonFace;
    bool opaque_ = false;
};

// A command button; Click runs when it is pressed.
class CommandButton : public Control {
  public:
    CommandButton(QWidget* parent, const std::string& caption);
    std::string Caption() const;
    void SetCaption(const std::string& text);
    void SetDefault(bool on);
    std::function<void()> Click;
    // Presses the button as the user does (runs Click only when enabled).
    void Press();

  private:
    QPushButton* button_;
};

// An option button; the options in one container exclude each other. Click runs when it
// becomes the selected one, whether the user or the program selects it.
class OptionButton : public Control {
  public:
    OptionButton(QWidget* parent, const std::string& caption);
    bool Value() const;
    void SetValue(bool on);
    std::string Caption() const;
    std::function<void()> Click;

  private:
    QRadioButton* radio_;
};

// A frame with a caption that holds other controls; disabling it disables them.
class Frame : public Control {
  public:
    Frame(QWidget* parent, const std::string& caption);
    std::string Caption() const;
    void SetBackColor(Colour c);

  private:
    QGroupBox* box_;
};

// A horizontal scroll bar; Change runs when its value changes.
class HScrollBar : public Control {
  public:
    explicit HScrollBar(QWidget* parent);
    void SetRange(int min, int max, int smallChange, int largeChange);
    int Value() const;
    void SetValue(int v);
    int Min() const;
    int Max() const;
    int SmallChange() const;
    int LargeChange() const;
    std::function<void()> Change;

  private:
    QScrollBar* bar_;
};

namespace detail {
class ImageWidget;
}

// An image control that stretches its bitmap to its size, with mouse handling in twips.
class ImageBox : public Control {
  public:
    explicit ImageBox(QWidget* parent);
    void SetPicture(const QImage& image);
    const QImage& Picture() const { return picture_; }
    MouseHandler MouseDown, MouseMove, MouseUp;

  private:
    friend class detail::ImageWidget;
    QImage picture_;
};

// A horizontal or vertical line drawn above its container's drawing; ignores the mouse.
class LineControl : public Control {
  public:
    LineControl(QWidget* parent, Colour colour, int widthPx = 1);
    void SetEnds(double x1, double y1, double x2, double y2);
    double X1() const { return x1_; }
    double Y1() const { return y1_; }
    double X2() const { return x2_; }
    double Y2() const { return y2_; }
    Colour BorderColor() const { return colour_; }

  private:
    Colour colour_;
    int widthPx_;
    double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};

// A timer with the program's semantics: it ticks every Interval ms while Enabled and the
// interval is above 0; the handler disables it when it should fire once.
class Timer {
  public:
    // A failing Tick returns the window whose surface is `owner` (null: none) to rest.
    Timer(int intervalMs, bool enabled, const QWidget* owner = nullptr);
    ~Timer();
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    std::function<void()> Tick;

  private:
    void Restart();
    std::unique_ptr<QTimer> timer_;
    const QWidget* owner_;
    int interval_;
    bool enabled_;
};
