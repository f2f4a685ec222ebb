#pragma once

#include "platform/mouse_input.hpp"
#include "platform/posted_press_ledger.hpp"

#include <array>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct _XDisplay;
struct xcb_connection_t;

namespace clicktrove::platform {

// The pointer on an X server: XTest for synthetic input, XQueryPointer for the cursor, RandR monitors for
// the screens. One connection serves every thread; a lock makes each posting operation atomic, since ticks
// post from the engine queue while stop, pause and resume post from the caller's thread.
//
// Global coordinates are X root coordinates shifted so that the primary monitor's top-left corner is the
// origin; this class alone translates between the two.
class X11MouseInput final : public MouseInput {
public:
    // displayName empty: $DISPLAY. Without a display name no connection is attempted at all.
    explicit X11MouseInput(std::string displayName = {});
    X11MouseInput(const X11MouseInput&) = delete;
    X11MouseInput& operator=(const X11MouseInput&) = delete;
    ~X11MouseInput() override;

    void post(std::span<const MouseEvent> events) override;
    std::optional<GlobalPoint> cursorPosition() override;
    std::optional<GlobalPoint> recentCursorPosition(std::chrono::nanoseconds maxAge) override;
    void readScreens(std::vector<ScreenRect>& out) override;
    // Connects again when the display was not there before, so a poll can notice a server that came later.
    bool canPost() override;
    bool claimPostedPress(unsigned int physicalButton, std::chrono::steady_clock::time_point since) override;
    std::chrono::steady_clock::time_point startWatchingPresses(const std::function<void()>& selectPresses) override;

private:
    bool connectLocked();
    // Reads what earlier round trips left in the event queue (no system call): RandR changes drop the screen
    // layout, a pointer-mapping change drops the button map. True when the layout changed.
    bool takeQueuedNotificationsLocked();
    void refreshScreensLocked();
    void refreshButtonMapLocked();
    // The physical button XTest must press for applications to receive `logical`.
    unsigned int physicalButtonLocked(unsigned int logical);
    void fakeMotionLocked(GlobalPoint p);
    void fakeButtonLocked(unsigned int button, bool press);
    void notePressLocked(const MouseEvent& e);
    std::optional<GlobalPoint> toGlobalLocked(int rootX, int rootY);
    void dropPrefetchLocked();

    std::string displayName_;
    std::mutex mutex_;
    _XDisplay* display_ = nullptr;
    bool hasXtest_ = false;
    bool hasRandr_ = false;
    int randrEventBase_ = 0;
    // The same connection seen through XCB, for a pointer query whose reply is collected later: each
    // posting operation sends one behind its events, and the next tick finds the answer already there.
    xcb_connection_t* xcb_ = nullptr;
    std::optional<unsigned int> prefetch_;  // sequence number of the outstanding query
    std::chrono::steady_clock::time_point prefetchSentAt_{};
    // The monitor layout changes rarely; reading it costs a round trip, so it is kept for a short while and
    // also dropped whenever RandR reports a change.
    std::vector<ScreenRect> screens_;  // root coordinates, primary first
    std::chrono::steady_clock::time_point screensReadAt_{};
    bool screensValid_ = false;
    // The presses posted here (wheel steps left out: no watcher reports those); it has a lock of its own, so
    // claiming never waits for a posting operation.
    PostedPressLedger posted_;
    // XTest presses physical buttons and the server applies the pointer mapping, so with a left-handed mapping
    // (physical 1 and 3 swapped) a plain physical 1 would reach applications as a right click. Index: logical
    // button 1 to 5; value: the first physical button mapped to it. Read again at most every half second and
    // whenever the server reports a new mapping.
    std::array<std::uint8_t, 6> physicalFor_{0, 1, 2, 3, 4, 5};
    std::chrono::steady_clock::time_point buttonMapReadAt_{};
    bool buttonMapValid_ = false;
    // Which of buttons 1 to 3 this connection's last events left down.
    std::array<bool, 4> held_{};
};

}  // namespace clicktrove::platform
