// The one error rule of the program's event handlers: a failure inside a handler (a click, a
// mouse event, a timer tick, a player notification, a menu command) ends it quietly. Nothing
// reaches the user or the toolkit's event loop, and the window the event came from returns to
// rest. Handlers themselves never repeat this rule.
#pragma once

#include <functional>

class QWidget;

// A window whose handlers run through Dispatch: when one fails, HandlerFailed returns it to
// rest. It names itself the owner of the events of one widget and everything inside it.
class RestingWindow {
  public:
    virtual ~RestingWindow() = default;
    // A handler of this window's events failed: back to rest.
    virtual void HandlerFailed() = 0;
    // The nearest window that owns the events of `w` or of one of its parents, or null.
    static RestingWindow* Of(const QWidget* w);

  protected:
    // Makes this window the owner of the events of `w` and of its children.
    void OwnEventsOf(QWidget* w);
};

// Runs `handler` for an event that arrived on `origin` (null: no window of its own). When the
// handler fails, the window that owns `origin` runs its HandlerFailed.
void Dispatch(const QWidget* origin, const std::function<void()>& handler);
