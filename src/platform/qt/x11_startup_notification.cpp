#include "platform/qt/x11_startup_notification.hpp"

#include "platform/qt/x11_ewmh.hpp"

#include <QtGui/qguiapplication_platform.h>
#include <QGuiApplication>
#include <algorithm>
#include <cstring>

namespace clicktrove::platform {

std::string startupRemoveMessage(const std::string& startupId) {
    const bool needsQuotes = startupId.find_first_of(" \"\\") != std::string::npos;
    std::string value;
    for (const char c : startupId) {
        if (c == '"' || c == '\\') value += '\\';
        value += c;
    }
    return "remove: ID=" + (needsQuotes ? "\"" + value + "\"" : value);
}

void completeStartupNotification(const std::string& startupId) {
    if (startupId.empty() || qGuiApp == nullptr) return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return;
    xcb_connection_t* c = x11->connection();
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t begin = ewmh::internAtom(c, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = ewmh::internAtom(c, "_NET_STARTUP_INFO");
    if (screen == nullptr || begin == XCB_ATOM_NONE || more == XCB_ATOM_NONE) return;

    // The protocol names the sending window in every piece; a window of its own keeps the pieces together.
    const xcb_window_t sender = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, sender, screen->root, -100, -100, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    // Sent in pieces of 20 bytes, the first as BEGIN, the terminating NUL included.
    const std::string message = startupRemoveMessage(startupId);
    const std::size_t total = message.size() + 1;
    for (std::size_t offset = 0; offset < total; offset += 20) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = sender;
        event.type = offset == 0 ? begin : more;
        const std::size_t n = std::min<std::size_t>(20, total - offset);
        std::memcpy(event.data.data8, message.c_str() + offset, n);
        xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char*>(&event));
    }
    xcb_destroy_window(c, sender);
    xcb_flush(c);
}

}  // namespace clicktrove::platform
