#include "event_dispatch.h"

#include "form.h"

#include <QWidget>

#include <exception>

void Dispatch(const QWidget* origin, const std::function<void()>& handler) {
    if (!handler) {
        return;
    }
    try {
        handler();
    } catch (const std::exception&) {
        for (const QWidget* w = origin; w; w = w->parentWidget()) {
            if (Form* form = Form::Of(w)) {
                form->HandlerFailed();
                break;
            }
        }
    }
}
