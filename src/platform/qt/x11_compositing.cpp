#include "platform/qt/x11_compositing.hpp"

#include "platform/qt/x11_ewmh.hpp"

#include <QGuiApplication>
#include <cstdlib>

namespace clicktrove::platform {

bool isCompositingActive() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return false;
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t selection = ewmh::internAtom(connection, "_NET_WM_CM_S0");
    if (selection == XCB_ATOM_NONE) return false;
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    if (reply == nullptr) return false;
    const bool owned = reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

}  // namespace clicktrove::platform
