#pragma once

#include <xcb/xcb.h>

#include <cstdint>

namespace clicktrove::platform::ewmh {

// The atom of that name, or XCB_ATOM_NONE when the server cannot answer.
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name);

// A mapped client changes its window-manager state by asking the root window, not by writing the property
// itself: sends message type with data d0, d1 on behalf of window, as an ordinary application (source 1).
void sendToRoot(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1);

}  // namespace clicktrove::platform::ewmh
