#include "platform/qt/x11_window_hints.hpp"

#include "platform/qt/x11_ewmh.hpp"

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>

namespace clicktrove::platform {

void showOnAllDesktops(QWindow& window) {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());

    constexpr std::uint32_t allDesktops = 0xFFFFFFFF;
    constexpr std::uint32_t netWmStateAdd = 1;
    const xcb_atom_t desktop = ewmh::internAtom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t state = ewmh::internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t sticky = ewmh::internAtom(connection, "_NET_WM_STATE_STICKY");
    if (desktop != XCB_ATOM_NONE) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
        ewmh::sendToRoot(connection, id, desktop, allDesktops, 0);
    }
    if (state != XCB_ATOM_NONE && sticky != XCB_ATOM_NONE) {
        ewmh::sendToRoot(connection, id, state, netWmStateAdd, sticky);
    }
    xcb_flush(connection);
}

void setWindowNames(QWindow& window) {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr || window.handle() == nullptr) return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const QString title = window.title();

    const QByteArray utf8 = title.toUtf8();
    const xcb_atom_t utf8String = ewmh::internAtom(connection, "UTF8_STRING");
    const xcb_atom_t netWmName = ewmh::internAtom(connection, "_NET_WM_NAME");
    if (utf8String != XCB_ATOM_NONE && netWmName != XCB_ATOM_NONE) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, netWmName, utf8String, 8,
                            static_cast<std::uint32_t>(utf8.size()), utf8.constData());
    }
    const bool latin1 = std::all_of(title.begin(), title.end(), [](QChar c) { return c.unicode() < 0x100; });
    const QByteArray name = latin1 ? title.toLatin1() : utf8;
    const xcb_atom_t type = latin1 || utf8String == XCB_ATOM_NONE ? xcb_atom_t{XCB_ATOM_STRING} : utf8String;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NAME, type, 8,
                        static_cast<std::uint32_t>(name.size()), name.constData());
    xcb_flush(connection);
}

}  // namespace clicktrove::platform
