#pragma once

#include "support/press_counter.hpp"

#include <optional>
#include <string>

typedef struct _XDisplay Display;

namespace bench {

// Watches the screen on an X connection of its own for a program's main window: the mapping of a top-level
// window whose WM_CLASS names the program, and the first frame drawn into it. Open it before the program
// starts, so that no mapping goes unseen.
class TopLevelWatcher {
public:
    TopLevelWatcher() = default;
    TopLevelWatcher(const TopLevelWatcher&) = delete;
    TopLevelWatcher& operator=(const TopLevelWatcher&) = delete;
    ~TopLevelWatcher();

    bool open(const std::string& display);

    struct Mapped {
        unsigned long window = 0;
        Clock::time_point at;
    };
    // The next top-level of at least 200 x 200 mapped with this WM_CLASS class, as it arrives.
    std::optional<Mapped> waitForMap(const std::string& wmClass, Clock::time_point deadline);
    // When the window first holds a drawn frame, told by a few rows across it no longer being one flat
    // colour (all a window shows before its first frame). Polled every 2 ms.
    std::optional<Clock::time_point> waitForFirstFrame(unsigned long window, Clock::time_point deadline);

private:
    Display* display_ = nullptr;
};

}  // namespace bench
