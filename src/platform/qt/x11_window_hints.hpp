#pragma once

class QWindow;

namespace clicktrove::platform {

// Asks the X11 window manager to show the window on every virtual desktop (EWMH sticky, all-desktops
// index). Does nothing where the application does not run on X11 or the window is not mapped yet.
void showOnAllDesktops(QWindow& window);

// Writes the window's title as both of its X11 names: WM_NAME, which older window managers, taskbars and tools
// such as `xdotool search --name` read, and the EWMH _NET_WM_NAME in UTF-8, both exactly the title (no
// application name appended). WM_NAME is Latin-1 text where the title allows it, UTF-8 otherwise. Does nothing
// where the application does not run on X11 or the window has no native window yet.
void setWindowNames(QWindow& window);

}  // namespace clicktrove::platform
