#include "engine/click_rate_window.hpp"

namespace clicktrove {

namespace {
// A second at the smallest interval (1 ms) with room to spare.
constexpr std::size_t kInitialCapacity = 1024;
}  // namespace

ClickRateWindow::ClickRateWindow() : ring_(kInitialCapacity) {}

std::int64_t ClickRateWindow::record(Date stamp) {
    if (count_ > 0 && at(count_ - 1) > stamp) clear();
    if (count_ == ring_.size()) grow();
    at(count_) = stamp;
    ++count_;
    const Date cutoff = stamp - std::chrono::seconds(1);
    while (count_ > 0 && ring_[head_] <= cutoff) {
        head_ = (head_ + 1) % ring_.size();
        --count_;
    }
    return static_cast<std::int64_t>(count_);
}

void ClickRateWindow::clear() {
    head_ = 0;
    count_ = 0;
}

void ClickRateWindow::grow() {
    std::vector<Date> bigger(ring_.size() * 2);
    for (std::size_t i = 0; i < count_; ++i) bigger[i] = at(i);
    ring_.swap(bigger);
    head_ = 0;
}

}  // namespace clicktrove
