#include "platform/qt/x11_window_hints.hpp"

#include "platform/qt/x11_ewmh.hpp"

#include <QGuiApplication>
#include <QWindow>

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

}  // namespace clicktrove::platform
