#pragma once

namespace clicktrove::platform {

// Narrows the keyboard-state notifications Qt's own X connection asks for to the modifier and group changes Qt
// reads. Qt selects every XKB state change, and pointer buttons are part of that state, so without this each
// button press or release anywhere on the server (the program's own clicks included: two per click) woke Qt's
// event thread and then the main thread. Does nothing off X11. Returns whether the server took the selection.
bool narrowKeyboardStateEvents();

}  // namespace clicktrove::platform
