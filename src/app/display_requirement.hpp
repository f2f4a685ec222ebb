#pragma once

#include <optional>
#include <string>

namespace clicktrove {

// The one line to print, before Qt starts, when Clicktrove cannot run for want of an X11 display: DISPLAY unset
// (a console, or a Wayland session without XWayland) or a display that cannot be opened, with the reason.
// Nothing when the display opens, or when QT_QPA_PLATFORM names another Qt platform than xcb (the user chose
// to run without X11; input then stays unavailable, as the main window says).
std::optional<std::string> missingDisplayMessage();

}  // namespace clicktrove
