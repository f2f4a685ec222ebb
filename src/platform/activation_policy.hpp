#pragma once

namespace clicktrove::platform {

// How the application presents itself to the desktop.
class ActivationPolicy {
public:
    enum class Policy {
        // A taskbar entry for the main window; closing the last window quits.
        regular,
        // No taskbar entry; the application lives on in the tray after its windows close.
        accessory,
    };

    virtual ~ActivationPolicy() = default;
    // Takes effect at once, for windows already shown and those shown later. Main thread only.
    virtual void setActivationPolicy(Policy policy) = 0;
};

}  // namespace clicktrove::platform
