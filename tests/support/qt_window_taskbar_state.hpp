#pragma once

// What a taskbar and the session see of a Qt window of the test's own process on X11. Header-only: it needs Qt,
// which the support library does not link.

#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace clicktrove::testing {

inline xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    auto* reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return a;
}

// Reads the window's _NET_WM_STATE on a connection of the test's own, as a window manager would.
inline bool skipsTaskbar(const QWidget& widget) {
    QCoreApplication::processEvents();
    // A round trip on the application's own connection: once it returns, the server has carried out every
    // request the program sent, so the other connection cannot read the property before the change.
    xcb_connection_t* own = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    std::free(xcb_get_input_focus_reply(own, xcb_get_input_focus(own), nullptr));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const auto skip = internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    auto* reply = xcb_get_property_reply(c,
                                         xcb_get_property(c, 0, static_cast<xcb_window_t>(widget.winId()),
                                                          internAtom(c, "_NET_WM_STATE"), XCB_ATOM_ATOM, 0, 64),
                                         nullptr);
    bool found = false;
    if (reply) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        const auto* end = atoms + xcb_get_property_value_length(reply) / 4;
        found = std::find(atoms, end, skip) != end;
        std::free(reply);
    }
    xcb_disconnect(c);
    return found;
}

// Notes, as its close begins, whether closing it quits the program: by then the tray must have been asked.
class ClosingWindow final : public QWidget {
public:
    bool quitsOnClose = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        quitsOnClose = QGuiApplication::quitOnLastWindowClosed();
        QWidget::closeEvent(event);
    }
};

}  // namespace clicktrove::testing
