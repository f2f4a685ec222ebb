#include "platform/posted_press_ledger.hpp"

#include <algorithm>

namespace clicktrove::platform {

void PostedPressLedger::notePosted(unsigned int button, Clock::time_point at) {
    std::lock_guard lock(mutex_);
    dropOlderThanLocked(at - kMaxAge);
    if (entries_.size() >= kMaxEntries) entries_.pop_front();
    entries_.push_back({button, at});
}

bool PostedPressLedger::claim(unsigned int button, Clock::time_point since, Clock::time_point now) {
    std::lock_guard lock(mutex_);
    dropOlderThanLocked(std::max(since, now - kMaxAge));
    const auto it =
        std::find_if(entries_.begin(), entries_.end(), [button](const Entry& e) { return e.button == button; });
    if (it == entries_.end()) return false;
    entries_.erase(it);
    return true;
}

void PostedPressLedger::dropOlderThanLocked(Clock::time_point limit) {
    while (!entries_.empty() && entries_.front().at < limit) entries_.pop_front();
}

}  // namespace clicktrove::platform
