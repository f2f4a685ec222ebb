#pragma once

#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace bench {

// Presses keys as a user's keyboard would, through XTest on an X connection of its own: a global shortcut
// reaches every client that watches the keyboard, whichever window has the focus.
class KeyPresser {
public:
    KeyPresser() = default;
    KeyPresser(const KeyPresser&) = delete;
    KeyPresser& operator=(const KeyPresser&) = delete;
    ~KeyPresser();

    bool open(const std::string& display);
    // Presses the keys in order (keysym names: "Control_L", "Shift_L", "s"), then releases them in reverse, and
    // sends it all at once. False when a name has no key on this keyboard.
    bool press(const std::vector<std::string>& keysyms);
    // The keycode of a keysym name on this keyboard; 0 when it has none.
    unsigned int keycodeOf(const std::string& keysym);

private:
    Display* display_ = nullptr;
};

}  // namespace bench
