#pragma once

#include "platform/clock.hpp"
#include "platform/mouse_input.hpp"

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace clicktrove::platform {

// A recording pointer for tests. Every posted event is kept with the time (from the given clock) and the
// number of the posting operation it came in. Like a real pointer, the cursor follows the points of posted
// button, move and drag events (not those made at the pointer) unless the test turns that off. Like the X11
// pointer, each posting operation takes a reading of the cursor behind its events, which answers one
// recentCursorPosition() while young enough; every other reading is a query, and the fake counts them.
// Thread safe.
class FakeMouseInput final : public MouseInput {
public:
    struct Recorded {
        MouseEvent event;
        std::chrono::steady_clock::time_point time;
        // 1 for the first posting operation, 2 for the next, ...
        int operation = 0;
    };

    explicit FakeMouseInput(const Clock& clock = SystemClock::instance());

    void post(std::span<const MouseEvent> events) override;
    std::optional<GlobalPoint> cursorPosition() override;
    std::optional<GlobalPoint> recentCursorPosition(std::chrono::nanoseconds maxAge) override;
    void readScreens(std::vector<ScreenRect>& out) override;
    bool canPost() override;

    // Initially: one 1920x1080 screen at the origin, the cursor at its centre, posting possible.
    void setCursor(std::optional<GlobalPoint> cursor);
    void setCursorFollowsEvents(bool follows);
    void setScreens(std::vector<ScreenRect> screens);
    void setCanPost(bool canPost);
    // Called after each posting operation has been recorded, outside the fake's lock, on the posting
    // thread: lets a test act in the middle of a tick.
    void setOnPost(std::function<void(std::span<const MouseEvent>)> hook);

    std::vector<Recorded> recorded() const;
    std::vector<MouseEvent> events() const;
    int operationCount() const;
    // Readings of the cursor that would have cost a round trip to a display server.
    int cursorQueries() const;
    void clear();

private:
    const Clock& clock_;
    mutable std::mutex mutex_;
    std::vector<Recorded> recorded_;
    std::optional<GlobalPoint> cursor_{GlobalPoint{960, 540}};
    std::vector<ScreenRect> screens_{ScreenRect{0, 0, 1920, 1080}};
    bool follows_ = true;
    bool canPost_ = true;
    int operations_ = 0;
    int queries_ = 0;
    // The reading taken behind the last posting operation, until it answers.
    std::optional<std::optional<GlobalPoint>> afterPost_;
    std::chrono::steady_clock::time_point afterPostTime_{};
    std::function<void(std::span<const MouseEvent>)> onPost_;
};

}  // namespace clicktrove::platform
