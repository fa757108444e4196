// The one error rule of the program's event handlers: a failure inside a handler (a click, a
// mouse event, a timer tick, a player notification, a menu command) ends it quietly. Nothing
// reaches the user or the toolkit's event loop, and the window the event came from returns to
// rest. Handlers themselves never repeat this rule.
#pragma once

#include <functional>

class QWidget;

// Runs `handler` for an event that arrived on `origin` (null: no window of its own). When the
// handler fails, the Form that holds `origin` runs its HandlerFailed.
void Dispatch(const QWidget* origin, const std::function<void()>& handler);
