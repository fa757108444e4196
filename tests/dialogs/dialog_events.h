// Driving windows the way the user does in tests: key presses, left and right clicks, and
// letting the event loop run for a while.
#pragma once

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

inline void PressKey(QWidget* w, int key, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &release);
}

// A press and release of `button` at `at` (the widget's pixels; its centre by default).
inline void ClickOn(QWidget* w, Qt::MouseButton button = Qt::LeftButton, QPoint at = {-1, -1}) {
    const QPointF local = at.x() < 0 ? QPointF(w->rect().center()) : QPointF(at);
    const QPointF global = w->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// Runs the event loop for `ms` milliseconds, so timers can fire.
inline void RunEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
