#pragma once

#include <functional>

namespace clicktrove::platform {

// How the application presents itself to the desktop.
class ActivationPolicy {
public:
    enum class Policy {
        // A taskbar entry for the main window; closing the last window quits.
        regular,
        // No taskbar entry; the application lives on in the tray after its windows close. Only while the
        // program's tray icon is on show: without it, a window with neither a taskbar entry nor a tray icon
        // could never be reached again, so the policy then acts as regular.
        accessory,
    };

    virtual ~ActivationPolicy() = default;
    // Takes effect at once, for windows already shown and those shown later. Main thread only.
    virtual void setActivationPolicy(Policy policy) = 0;
    // Tells whether the program's tray icon is on show; asked again whenever a window is shown, minimised or
    // closed, and at trayIconMayHaveChanged(). Unset, a tray on the desktop counts as the icon on show.
    virtual void setTrayIconShown(std::function<bool()> shown) = 0;
    // The tray icon appeared or went (a tray menu was wired): the policy takes hold or lets go now.
    virtual void trayIconMayHaveChanged() = 0;
};

}  // namespace clicktrove::platform
