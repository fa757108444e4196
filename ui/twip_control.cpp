#include "twip_control.h"

void Control::SetLeft(double twips) {
    Move(twips, top_, width_, height_);
}
void Control::SetTop(double twips) {
    Move(left_, twips, width_, height_);
}
void Control::SetWidth(double twips) {
    Move(left_, top_, twips, height_);
}
void Control::SetHeight(double twips) {
    Move(left_, top_, width_, twips);
}

void Control::Move(double left, double top, double width, double height) {
    left_ = left;
    top_ = top;
    width_ = width < 0 ? 0 : width;
    height_ = height < 0 ? 0 : height;
    ApplyGeometry();
}

void Control::ApplyGeometry() {
    if (!widget_) {
        return;
    }
    const int x = TwipsToPx(left_);
    const int y = TwipsToPx(top_);
    widget_->setGeometry(x, y, TwipsToPx(left_ + width_) - x, TwipsToPx(top_ + height_) - y);
}

void Control::SetVisible(bool visible) {
    if (widget_) {
        widget_->setVisible(visible);
    }
}

void Control::SetEnabled(bool enabled) {
    if (widget_) {
        widget_->setEnabled(enabled);
    }
}

void Control::SetFocus() {
    if (widget_) {
        Client()->setFocus(Qt::OtherFocusReason);
    }
}

void Control::SetAccessibleName(const std::string& name) {
    if (QWidget* w = Client()) {
        w->setAccessibleName(QString::fromStdString(name));
    }
}

void Control::SetAccessibleDescription(const std::string& text) {
    QWidget* w = Client();
    const QString description = QString::fromStdString(text);
    if (w && w->accessibleDescription() != description) {
        w->setAccessibleDescription(description);
    }
}

void Control::SetToolTip(const std::string& text) {
    if (widget_) {
        widget_->setToolTip(QString::fromStdString(text));
    }
}

std::string Control::ToolTip() const {
    return widget_ ? widget_->toolTip().toStdString() : std::string();
}
