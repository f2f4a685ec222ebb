#pragma once

namespace clicktrove::platform {

// The icon theme that the program's symbols and Qt's own icons come from wherever the desktop's theme lacks an
// icon or the desktop names no theme at all (a bare window manager): Adwaita, a complete freedesktop theme that
// Debian ships as adwaita-icon-theme, on which the program's package depends.
inline constexpr const char* kFallbackIconTheme = "Adwaita";

// Makes that theme the fallback and lets Qt find the installed themes also on platforms whose integration
// searches only its own resources (offscreen, some Wayland setups). Call once, right after the application
// object is created and before any icon is looked up: Qt settles a theme's fallback at its first lookup.
void installFallbackIconTheme();

}  // namespace clicktrove::platform
