#include "platform/qt/x11_keyboard_state_events.hpp"

#include <QGuiApplication>
#include <xcb/xcb.h>
// The extension's header names a field "explicit", a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <cstdint>
#include <cstdlib>

namespace clicktrove::platform {

bool narrowKeyboardStateEvents() {
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (x11 == nullptr || x11->connection() == nullptr) return false;
    xcb_connection_t* connection = x11->connection();
    // Qt has enabled the extension already when it has a keyboard; without it there is nothing to narrow.
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (xkb == nullptr || !xkb->present) return false;

    // What Qt's handler reads from a state notification: the base, latched and locked modifiers and groups.
    constexpr std::uint16_t kKeyboardParts =
        XCB_XKB_STATE_PART_MODIFIER_STATE | XCB_XKB_STATE_PART_MODIFIER_BASE | XCB_XKB_STATE_PART_MODIFIER_LATCH |
        XCB_XKB_STATE_PART_MODIFIER_LOCK | XCB_XKB_STATE_PART_GROUP_STATE | XCB_XKB_STATE_PART_GROUP_BASE |
        XCB_XKB_STATE_PART_GROUP_LATCH | XCB_XKB_STATE_PART_GROUP_LOCK;
    constexpr std::uint16_t kEveryPart = 0x3fff;
    xcb_xkb_select_events_details_t details{};
    details.affectState = kEveryPart;
    details.stateDetails = kKeyboardParts;
    // Only the state notification's details change; the other events Qt chose (new keyboard, map) stay.
    const xcb_void_cookie_t cookie = xcb_xkb_select_events_aux_checked(
        connection, XCB_XKB_ID_USE_CORE_KBD, XCB_XKB_EVENT_TYPE_STATE_NOTIFY, 0, 0, 0, 0, &details);
    if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
        std::free(error);
        return false;
    }
    return true;
}

}  // namespace clicktrove::platform
