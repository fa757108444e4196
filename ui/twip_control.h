// Base of every twip-placed control: geometry in twips relative to the parent's client area,
// visibility, enabled state and focus.
#pragma once

#include "twips.h"

#include <QPointer>
#include <QWidget>

#include <string>

class Control {
  public:
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    QWidget* Widget() const { return widget_; }
    // The widget that child controls are placed in (the inside of a bordered picture).
    virtual QWidget* Client() const { return widget_; }

    double Left() const { return left_; }
    double Top() const { return top_; }
    double Width() const { return width_; }
    double Height() const { return height_; }
    void SetLeft(double twips);
    void SetTop(double twips);
    void SetWidth(double twips);
    void SetHeight(double twips);
    void Move(double left, double top, double width, double height);

    // The control's own visibility flag (shown even while a parent is hidden).
    bool Visible() const { return widget_ && !widget_->isHidden(); }
    void SetVisible(bool visible);
    bool Enabled() const { return widget_ && widget_->isEnabled(); }
    void SetEnabled(bool enabled);
    void SetFocus();
    bool HasFocus() const { return Client() && Client()->hasFocus(); }

    // What a screen reader says of the control (given to the part that takes the focus).
    void SetAccessibleName(const std::string& name);
    void SetAccessibleDescription(const std::string& text);
    // The short help that shows when the mouse rests on the control (and on what it holds).
    void SetToolTip(const std::string& text);
    std::string ToolTip() const;

  protected:
    explicit Control(QWidget* widget) : widget_(widget) {}
    // Places the widget for the current twip geometry; overridden by controls with insides.
    virtual void ApplyGeometry();

    QPointer<QWidget> widget_;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};
