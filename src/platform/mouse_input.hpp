#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace clicktrove::platform {

// A position in global coordinates: origin at the top-left corner of the primary monitor, x to the right,
// y downwards, in pixels (one point per pixel on X11).
struct GlobalPoint {
    double x = 0;
    double y = 0;
    friend bool operator==(const GlobalPoint&, const GlobalPoint&) = default;
};

// One monitor's rectangle in global coordinates.
struct ScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

enum class MouseButton : std::uint8_t { left, right, middle };

// One synthetic input event. Button events and moves carry the point they happen at; a scroll happens
// wherever the cursor is and carries only its line count. A button event made atPointer also happens wherever
// the cursor is: no motion goes before it and its point is not used, so clicking at the cursor needs no
// reading of the cursor first.
struct MouseEvent {
    enum class Kind : std::uint8_t { buttonDown, buttonUp, moved, dragged, scroll };
    Kind kind = Kind::moved;
    MouseButton button = MouseButton::left;
    GlobalPoint point;
    // 1 for a single click, 2 for the second press of a double click. X11 has no such field (clients count
    // clicks by timing); the fake records it.
    int clickState = 1;
    // Scroll only: lines, positive upwards.
    int lines = 0;
    bool atPointer = false;

    static MouseEvent down(MouseButton b, GlobalPoint p, int state = 1) { return {Kind::buttonDown, b, p, state, 0}; }
    static MouseEvent up(MouseButton b, GlobalPoint p, int state = 1) { return {Kind::buttonUp, b, p, state, 0}; }
    static MouseEvent downAtPointer(MouseButton b, int state = 1) { return {Kind::buttonDown, b, {}, state, 0, true}; }
    static MouseEvent upAtPointer(MouseButton b, int state = 1) { return {Kind::buttonUp, b, {}, state, 0, true}; }
    static MouseEvent move(GlobalPoint p) { return {Kind::moved, MouseButton::left, p, 1, 0}; }
    static MouseEvent drag(MouseButton b, GlobalPoint p) { return {Kind::dragged, b, p, 1, 0}; }
    static MouseEvent scroll(int lines) { return {Kind::scroll, MouseButton::left, {}, 1, lines}; }
    friend bool operator==(const MouseEvent&, const MouseEvent&) = default;
};

// The system's pointer: posts synthetic mouse input and reads the cursor and the monitors.
// Every operation may be called from any thread; posting operations from different threads do not interleave.
class MouseInput {
public:
    virtual ~MouseInput() = default;

    // One posting operation: the events reach the system back to back, in this order, and are flushed
    // together. Nothing happens when posting is not possible (see canPost).
    virtual void post(std::span<const MouseEvent> events) = 0;
    // The cursor in global coordinates, or nothing when it cannot be read.
    virtual std::optional<GlobalPoint> cursorPosition() = 0;
    // The cursor as it was at most maxAge ago. An implementation may answer from a reading it requested
    // right after its last posting operation (where that operation left the cursor), so that a caller on a
    // 1 ms cadence does not wait for a round trip to the display server on every tick. Such a reading answers
    // once; the default, and every call without one young enough, reads afresh.
    virtual std::optional<GlobalPoint> recentCursorPosition(std::chrono::nanoseconds maxAge) {
        (void)maxAge;
        return cursorPosition();
    }
    // Replaces out with the monitors' rectangles, the primary first. Reuses out's storage so that a caller
    // asking on every tick allocates nothing.
    virtual void readScreens(std::vector<ScreenRect>& out) = 0;
    // Whether synthetic input can reach the system now (a display with the input extension is there).
    virtual bool canPost() = 0;
    // Whether a press of this physical button that a watcher has just seen is one that this object posted (at
    // or after `since`, when the watcher began): the display server hands synthetic presses to every watcher
    // like the user's. Each posted press answers true once. The default posts nothing that anyone could see.
    virtual bool claimPostedPress(unsigned int physicalButton, std::chrono::steady_clock::time_point since) {
        (void)physicalButton;
        (void)since;
        return false;
    }

    // Runs selectPresses while nothing can be posted and once all that was posted before has reached the system;
    // answers the moment it returned. selectPresses makes a watcher that is already connected and set up begin
    // watching the session's presses, and does nothing else: every posting operation, the emergency stop's too,
    // waits for it, so connecting to the display and all that is slow comes before this call. Presses posted
    // before the moment answered never come back to the watcher and every press posted after does, so this
    // moment, passed as `since` to claimPostedPress, tells the program's own presses from the user's exactly.
    virtual std::chrono::steady_clock::time_point startWatchingPresses(const std::function<void()>& selectPresses) {
        selectPresses();
        return std::chrono::steady_clock::now();
    }

    std::vector<ScreenRect> screens() {
        std::vector<ScreenRect> out;
        readScreens(out);
        return out;
    }

    // Single-event conveniences; each is one posting operation.
    void buttonDown(MouseButton b, GlobalPoint p, int clickState = 1) { postOne(MouseEvent::down(b, p, clickState)); }
    void buttonUp(MouseButton b, GlobalPoint p, int clickState = 1) { postOne(MouseEvent::up(b, p, clickState)); }
    void move(GlobalPoint p) { postOne(MouseEvent::move(p)); }
    void drag(MouseButton b, GlobalPoint p) { postOne(MouseEvent::drag(b, p)); }
    void scrollLines(int lines) { postOne(MouseEvent::scroll(lines)); }

private:
    void postOne(const MouseEvent& e) { post(std::span<const MouseEvent>(&e, 1)); }
};

}  // namespace clicktrove::platform
