#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>

namespace clicktrove::platform {

// The button presses this program has synthesised itself, so that a watcher of the session's presses can
// tell them from the user's: input synthesised through the display server comes back to every watcher like
// any other press. Each posted press is claimed once, by the first press of the same button seen after it,
// within kMaxAge (a press that comes back later than that, or never, stops counting). Thread safe: a run
// posts from the engine's thread while the watcher claims on the main thread.
class PostedPressLedger {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::chrono::milliseconds kMaxAge{500};
    // A run at 1 ms fills the ledger at 1,000 a second while nobody watches; it never holds more than this.
    static constexpr std::size_t kMaxEntries = 1024;

    void notePosted(unsigned int button, Clock::time_point at = Clock::now());
    // True when a press of this button was posted at or after `since` and at most kMaxAge before `now`, and
    // has not been claimed yet; it is claimed by this call. A watcher passes the moment it began watching as
    // since: presses posted before cannot reach it and must not stand in for a later press of the user.
    bool claim(unsigned int button, Clock::time_point since, Clock::time_point now = Clock::now());

private:
    struct Entry {
        unsigned int button;
        Clock::time_point at;
    };
    void dropOlderThanLocked(Clock::time_point limit);

    std::mutex mutex_;
    std::deque<Entry> entries_;  // oldest first
};

}  // namespace clicktrove::platform
