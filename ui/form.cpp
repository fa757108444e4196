#include "form.h"

#include "base/file_names.h"

#include <QMdiSubWindow>

Form::Form() : surface_(nullptr, false) {
    OwnEventsOf(surface_.Client());
}

void Form::HandlerFailed() {
    SetPointer(MousePointer::Default);
}

Form::~Form() {
    // The sub-window that wraps the form (if any) stays to its owner; the surface goes now.
    delete surface_.Client();
}

QWidget* Form::Outer() const {
    QWidget* w = surface_.Client();
    auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    return sub ? sub : w;
}

void Form::SetCaption(const std::string& text) {
    caption_ = text;
    Outer()->setWindowTitle(ReadableText(text));
}

void Form::SetPointer(MousePointer p) {
    pointer_ = p;
    QWidget* w = surface_.Client();
    if (p == MousePointer::Hourglass) {
        w->setCursor(Qt::WaitCursor);
    } else if (p == MousePointer::SizeWE) {
        w->setCursor(Qt::SizeHorCursor);
    } else {
        w->unsetCursor();
    }
}

void Form::Move(double left, double top, double width, double height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    const int x = TwipsToPx(left);
    const int y = TwipsToPx(top);
    const QRect r(x, y, TwipsToPx(left + width) - x, TwipsToPx(top + height) - y);
    QWidget* outer = Outer();
    if (outer != surface_.Client()) {
        outer->setGeometry(r);
    } else {
        outer->resize(r.size());
    }
    // The surface's twip model follows the window's size.
    surface_.Move(0, 0, width, height);
}

void Form::Show() {
    Outer()->show();
    surface_.Client()->show();
}

void Form::Hide() {
    Outer()->hide();
}

void Form::SetFocus() {
    surface_.Client()->setFocus(Qt::OtherFocusReason);
}
