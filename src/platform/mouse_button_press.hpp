#pragma once

#include "platform/mouse_input.hpp"

namespace clicktrove::platform {

// One mouse-button press seen by a MouseButtonMonitor. Wheel steps are not presses and never reported.
struct MouseButtonPress {
    enum class Button { left, right, middle, other };

    Button button = Button::left;
    // The X button number (1 left, 2 middle, 3 right, 8 and up for the further buttons).
    unsigned int buttonNumber = 1;
    // The pointer at the press, in global coordinates.
    GlobalPoint point;
    // A press that this program synthesised itself (a run's click, a macro playing), which reaches the monitor
    // like any other.
    bool postedByThisProgram = false;

    friend bool operator==(const MouseButtonPress&, const MouseButtonPress&) = default;
};

}  // namespace clicktrove::platform
