#pragma once

namespace clicktrove {

// Tells the desktop who the program is, right after the application object exists: the application name (the
// class part of WM_CLASS, which the desktop entry's StartupWMClass names), the desktop entry it was started from
// (the application id; Wayland compositors match windows to it), the window icon and the fallback icon theme.
void applyDesktopIdentity();

}  // namespace clicktrove
