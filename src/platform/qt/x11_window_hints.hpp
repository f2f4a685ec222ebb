#pragma once

class QWindow;

namespace clicktrove::platform {

// Asks the X11 window manager to show the window on every virtual desktop (EWMH sticky, all-desktops
// index). Does nothing where the application does not run on X11 or the window is not mapped yet.
void showOnAllDesktops(QWindow& window);

}  // namespace clicktrove::platform
