#pragma once

#include "platform/key_press_event.hpp"
#include "platform/mouse_button_press.hpp"
#include "platform/x11/x11_modifier_mapping.hpp"

#include <memory>
#include <optional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;
union _XEvent;

namespace clicktrove::platform {

// Watches presses on an X server through XInput2 raw events selected on the root window: they reach this
// client for every press in every application, also while another client holds a grab, and selecting them
// consumes nothing. It uses a connection of its own so that a toolkit's connection is never read behind its
// back; the owner polls connectionFd() and calls readPending() when it is readable. Not thread safe.
class X11RawInputWatcher {
public:
    enum class Watch { keyPresses, buttonPresses };

    struct ButtonPress {
        // After the server's pointer mapping: the number applications see, so a left-handed swap of 1 and 3
        // is followed.
        unsigned int button = 0;
        // As the device (or XTest) reported it, before the mapping.
        unsigned int physicalButton = 0;
        friend bool operator==(const ButtonPress&, const ButtonPress&) = default;
    };

    struct Batch {
        std::vector<KeyPressEvent> keyPresses;
        // Wheel steps (4 to 7 after the mapping) and disabled buttons left out.
        std::vector<ButtonPress> buttonPresses;
    };

    // Connects to displayName ($DISPLAY when empty) and reads what decoding needs (extensions, the keyboard or
    // pointer mapping), but selects no presses yet: that is select(). The slow part of opening (seconds on a remote
    // display), kept apart so that a caller can hold a lock across the selection alone. None, with the reason in
    // error, when there is no display or it lacks XInput2 2.0 (or XKB for key presses). No Xlib call is made
    // without a display name.
    static std::unique_ptr<X11RawInputWatcher> connect(Watch watch, std::string& error,
                                                       const std::string& displayName = {});
    // connect() and select().
    static std::unique_ptr<X11RawInputWatcher> open(Watch watch, std::string& error,
                                                    const std::string& displayName = {});

    // Selects the raw presses of every master device and waits for the server to have done it (one round trip):
    // a press the server takes in after this returns is reported, one taken in before is not.
    void select();

    X11RawInputWatcher(const X11RawInputWatcher&) = delete;
    X11RawInputWatcher& operator=(const X11RawInputWatcher&) = delete;
    ~X11RawInputWatcher();

    int connectionFd() const;
    // Decodes every event that has arrived, without blocking. Call it whenever the connection is readable:
    // it also empties Xlib's own queue, which a socket notifier cannot see.
    Batch readPending();

    // Which kind of press a button number is; none for the wheel (4 up, 5 down, 6 left, 7 right).
    static std::optional<MouseButtonPress::Button> buttonKind(unsigned int buttonNumber);

private:
    X11RawInputWatcher(Display* display, Watch watch);
    bool setUp(std::string& error);
    bool setUpKeyboard(std::string& error);
    void handle(_XEvent& event, Batch& batch);
    void refreshKeyboardMapping();
    void refreshPointerMapping();
    // The logical button for a physical one; 0 for a button the mapping disables.
    unsigned int logicalButton(unsigned int physical) const;

    Display* display_;
    Watch watch_;
    int xiOpcode_ = 0;
    int xkbEventBase_ = -1;
    // The keyboard's effective X modifier state as XKB last reported it. XKB state notifications travel in
    // the same stream as the raw presses and in server order, so at each raw press this is the state the
    // press happened in (raw events carry no modifier state of their own).
    unsigned int modifierState_ = 0;
    // The effective layout group, reported the same way.
    unsigned int group_ = 0;
    X11ModifierMapping modifiers_;
    // Raw events report the physical button, before the server's pointer mapping that the button events of
    // applications have been through: pointerMap_[n - 1] is the logical button of physical button n.
    std::vector<unsigned char> pointerMap_;
};

}  // namespace clicktrove::platform
