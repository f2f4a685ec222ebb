#include "platform/qt/x11_window_hints.hpp"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWindow>
#include <cstring>

namespace clicktrove::platform {

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    const auto cookie = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (reply == nullptr) return XCB_ATOM_NONE;
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

// EWMH: a mapped client changes its state by asking the root window, not by writing the property itself.
void sendToRoot(xcb_connection_t* connection, xcb_window_t root, xcb_window_t window, xcb_atom_t type, std::uint32_t d0,
                std::uint32_t d1) {
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = type;
    message.data.data32[0] = d0;
    message.data.data32[1] = d1;
    message.data.data32[2] = 0;
    message.data.data32[3] = 1;  // source: a normal application
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
}

}  // namespace

void showOnAllDesktops(QWindow& window) {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return;
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen == nullptr) return;

    constexpr std::uint32_t allDesktops = 0xFFFFFFFF;
    constexpr std::uint32_t netWmStateAdd = 1;
    const xcb_atom_t desktop = atom(connection, "_NET_WM_DESKTOP");
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const xcb_atom_t sticky = atom(connection, "_NET_WM_STATE_STICKY");
    if (desktop != XCB_ATOM_NONE) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
        sendToRoot(connection, screen->root, id, desktop, allDesktops, 0);
    }
    if (state != XCB_ATOM_NONE && sticky != XCB_ATOM_NONE) {
        sendToRoot(connection, screen->root, id, state, netWmStateAdd, sticky);
    }
    xcb_flush(connection);
}

}  // namespace clicktrove::platform
