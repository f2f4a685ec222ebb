#include "platform/x11/x11_keyboard_layout.hpp"

#include <xcb/xcb.h>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <memory>

namespace clicktrove::platform {

namespace {

struct XcbDisconnect {
    void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
};
struct ContextUnref {
    void operator()(xkb_context* c) const { xkb_context_unref(c); }
};
struct KeymapUnref {
    void operator()(xkb_keymap* k) const { xkb_keymap_unref(k); }
};
struct StateUnref {
    void operator()(xkb_state* s) const { xkb_state_unref(s); }
};

// A dead key types nothing by itself; shown, it stands for its accent as a character of its own ("´" for
// dead_acute), as the keycap shows it.
const char* deadKeyText(xkb_keysym_t sym) {
    switch (sym) {
        case XKB_KEY_dead_grave:
            return "`";
        case XKB_KEY_dead_acute:
            return "´";
        case XKB_KEY_dead_circumflex:
            return "^";
        case XKB_KEY_dead_tilde:
            return "~";
        case XKB_KEY_dead_macron:
            return "¯";
        case XKB_KEY_dead_breve:
            return "˘";
        case XKB_KEY_dead_abovedot:
            return "˙";
        case XKB_KEY_dead_diaeresis:
            return "¨";
        case XKB_KEY_dead_abovering:
            return "˚";
        case XKB_KEY_dead_doubleacute:
            return "˝";
        case XKB_KEY_dead_caron:
            return "ˇ";
        case XKB_KEY_dead_cedilla:
            return "¸";
        case XKB_KEY_dead_ogonek:
            return "˛";
        default:
            return nullptr;
    }
}

bool printable(const std::string& text) {
    for (const unsigned char c : text) {
        if (c < 0x20 || c == 0x7f) return false;
    }
    return !text.empty();
}

}  // namespace

X11KeyboardLayout::X11KeyboardLayout(std::string displayName) : displayName_(std::move(displayName)) {}

std::optional<std::string> X11KeyboardLayout::keyText(std::uint16_t keyCode) const {
    const char* name = displayName_.empty() ? std::getenv("DISPLAY") : displayName_.c_str();
    if (name == nullptr || *name == '\0') return std::nullopt;

    std::unique_ptr<xcb_connection_t, XcbDisconnect> connection(xcb_connect(name, nullptr));
    if (!connection || xcb_connection_has_error(connection.get())) return std::nullopt;
    if (!xkb_x11_setup_xkb_extension(connection.get(), XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                     XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        return std::nullopt;
    }
    const std::int32_t device = xkb_x11_get_core_keyboard_device_id(connection.get());
    if (device < 0) return std::nullopt;
    std::unique_ptr<xkb_context, ContextUnref> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    if (!context) return std::nullopt;
    std::unique_ptr<xkb_keymap, KeymapUnref> keymap(
        xkb_x11_keymap_new_from_device(context.get(), connection.get(), device, XKB_KEYMAP_COMPILE_NO_FLAGS));
    if (!keymap) return std::nullopt;
    std::unique_ptr<xkb_state, StateUnref> state(xkb_x11_state_new_from_device(keymap.get(), connection.get(), device));
    if (!state) return std::nullopt;

    // The key's layout in the server's active group (xkbcommon applies the key's own out-of-range rule), at
    // its first level: the key as typed with no modifier held.
    const xkb_layout_index_t layout = xkb_state_key_get_layout(state.get(), keyCode);
    if (layout == XKB_LAYOUT_INVALID) return std::nullopt;
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap.get(), keyCode, layout, 0, &syms);
    if (count != 1) return std::nullopt;
    if (const char* accent = deadKeyText(syms[0])) return std::string(accent);
    char buffer[64];
    // Function keys have no character: the result is 0 or just the terminator.
    const int size = xkb_keysym_to_utf8(syms[0], buffer, sizeof buffer);
    if (size <= 1) return std::nullopt;
    std::string text(buffer, static_cast<std::size_t>(size - 1));
    if (!printable(text)) return std::nullopt;
    return text;
}

}  // namespace clicktrove::platform
