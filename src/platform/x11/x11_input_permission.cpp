#include "platform/x11/x11_input_permission.hpp"

#include <xcb/xcb.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace clicktrove::platform {

bool X11InputPermission::inputMayBePosted() {
    const char* display = std::getenv("DISPLAY");
    // Under Wayland without XWayland, or on a console, there is no X server to post to.
    if (display == nullptr || *display == '\0') return false;

    // xcb rather than Xlib: a server that dies mid-check only marks the connection as failed, whereas Xlib's
    // default I/O error handler would exit the whole program.
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    if (connection == nullptr) return false;
    bool present = false;
    if (xcb_connection_has_error(connection) == 0) {
        static constexpr const char* extension = "XTEST";
        const auto cookie =
            xcb_query_extension(connection, static_cast<std::uint16_t>(std::strlen(extension)), extension);
        if (xcb_query_extension_reply_t* reply = xcb_query_extension_reply(connection, cookie, nullptr)) {
            present = reply->present != 0;
            std::free(reply);
        }
    }
    xcb_disconnect(connection);
    return present;
}

}  // namespace clicktrove::platform
