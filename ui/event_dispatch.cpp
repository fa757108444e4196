#include "event_dispatch.h"

#include <QVariant>
#include <QWidget>

#include <exception>

namespace {
// The property of a widget that names the window owning its events.
constexpr char kOwnerProperty[] = "tonvexaRestingWindow";
} // namespace

void RestingWindow::OwnEventsOf(QWidget* w) {
    w->setProperty(kOwnerProperty, QVariant::fromValue(reinterpret_cast<quintptr>(this)));
}

RestingWindow* RestingWindow::Of(const QWidget* w) {
    for (; w; w = w->parentWidget()) {
        const QVariant v = w->property(kOwnerProperty);
        if (v.isValid()) {
            return reinterpret_cast<RestingWindow*>(v.value<quintptr>());
        }
    }
    return nullptr;
}

void Dispatch(const QWidget* origin, const std::function<void()>& handler) {
    if (!handler) {
        return;
    }
    try {
        handler();
    } catch (const std::exception&) {
        if (RestingWindow* window = RestingWindow::Of(origin)) {
            window->HandlerFailed();
        }
    }
}
