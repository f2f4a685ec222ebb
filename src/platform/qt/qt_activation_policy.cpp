#include "platform/qt/qt_activation_policy.hpp"

#include "platform/qt/x11_ewmh.hpp"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QSystemTrayIcon>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace clicktrove::platform {

namespace {
// Only ordinary top-level windows appear in a taskbar; dialogs, tool windows and popups do not.
bool isTaskbarWindow(const QWindow* window) {
    return window->parent() == nullptr && (window->flags() & Qt::WindowType_Mask) == Qt::Window;
}

// A close may reach the widget alone (QWidget::close()) or its native window first (the window manager's).
bool isTaskbarWindowOrWidget(QObject* object) {
    if (auto* window = qobject_cast<QWindow*>(object)) return isTaskbarWindow(window);
    if (!object->isWidgetType()) return false;
    const auto* widget = static_cast<QWidget*>(object);
    return widget->isWindow() && (widget->windowFlags() & Qt::WindowType_Mask) == Qt::Window;
}

void setSkipTaskbar(xcb_connection_t* c, xcb_window_t window, bool skip, bool mapped) {
    const xcb_atom_t state = ewmh::internAtom(c, "_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = ewmh::internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE) return;

    // Before mapping, the window manager reads the property; keep the states Qt has put there.
    std::vector<xcb_atom_t> atoms;
    const auto cookie = xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
    if (xcb_get_property_reply_t* reply = xcb_get_property_reply(c, cookie, nullptr)) {
        if (reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
            const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
            atoms.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
    }
    std::erase(atoms, skipTaskbar);
    if (skip) atoms.push_back(skipTaskbar);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(atoms.size()), atoms.data());

    // After mapping, the window manager owns the property and takes changes as requests to the root window.
    if (mapped) ewmh::sendToRoot(c, window, state, skip ? 1 : 0, skipTaskbar);  // _NET_WM_STATE_ADD / _REMOVE
    xcb_flush(c);
}
}  // namespace

QtActivationPolicy::QtActivationPolicy(QObject* parent) : QObject(parent) {
    if (qApp) qApp->installEventFilter(this);
}

void QtActivationPolicy::setActivationPolicy(Policy policy) {
    policy_ = policy;
    applyToAll();
}

void QtActivationPolicy::setTrayIconShown(std::function<bool()> shown) {
    trayIconShown_ = std::move(shown);
    applyToAll();
}

void QtActivationPolicy::trayIconMayHaveChanged() {
    applyToAll();
}

bool QtActivationPolicy::trayIconShown() const {
    return trayIconShown_ ? trayIconShown_() : QSystemTrayIcon::isSystemTrayAvailable();
}

ActivationPolicy::Policy QtActivationPolicy::effectivePolicy() const {
    return policy_ == Policy::accessory && trayIconShown() ? Policy::accessory : Policy::regular;
}

void QtActivationPolicy::applyToAll() {
    const bool accessory = effectivePolicy() == Policy::accessory;
    QGuiApplication::setQuitOnLastWindowClosed(!accessory);
    // The windows keep the state once set; sent again unchanged, it would only make the window manager work.
    if (skippingTaskbar_ == accessory) return;
    skippingTaskbar_ = accessory;
    for (QWindow* window : QGuiApplication::topLevelWindows()) apply(window, accessory);
}

bool QtActivationPolicy::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::PlatformSurface:
            if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceCreated) {
                if (auto* window = qobject_cast<QWindow*>(watched)) {
                    apply(window, effectivePolicy() == Policy::accessory);
                }
            }
            break;
        // The moments a window could be lost: asked again before the close decides whether to quit, and as a
        // window is shown or minimised, whether the tray has come or gone since.
        case QEvent::Close:
        case QEvent::Show:
        case QEvent::WindowStateChange:
            if (isTaskbarWindowOrWidget(watched)) applyToAll();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void QtActivationPolicy::apply(QWindow* window, bool skipTaskbar) const {
    if (!isTaskbarWindow(window) || window->handle() == nullptr) return;
    // Only X11 has a standard skip-taskbar hint; elsewhere (Wayland) the tray and quit behaviour still apply.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return;
    setSkipTaskbar(x11->connection(), static_cast<xcb_window_t>(window->winId()), skipTaskbar, window->isVisible());
}

}  // namespace clicktrove::platform
