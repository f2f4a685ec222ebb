#pragma once

namespace clicktrove {

// Tells the desktop who the program is, right after the application object exists: the application name (the
// class part of WM_CLASS, which the desktop entry's StartupWMClass names), the desktop entry it was started from
// (the application id; Wayland compositors match windows to it) and the fallback icon theme.
void applyDesktopIdentity();

// The windows' icon: the installed theme icon where there is one (the user's theme may restyle it), else the
// bundled one. The theme lookup and the icon's rendering for the window manager cost more than anything else
// of the identity and no window content draws it, so it comes after the main window's first frame.
void applyWindowIcon();

}  // namespace clicktrove
