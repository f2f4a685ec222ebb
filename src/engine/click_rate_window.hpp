#pragma once

#include "engine/date.hpp"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace clicktrove {

// The time stamps of the ticks made within the last second, kept in a ring whose storage is reused, so a
// run at 1000 ticks per second allocates nothing once the ring has grown to a second's worth.
class ClickRateWindow {
public:
    ClickRateWindow();

    // Records a tick at stamp and drops every stamp not strictly later than stamp minus one second. Returns
    // how many stamps remain, this one included. When the wall clock was set back, the stamps from "the
    // future" are dropped too: they would otherwise linger until the clock caught up and inflate the count.
    std::int64_t record(Date stamp);
    void clear();
    std::size_t size() const { return count_; }

private:
    Date& at(std::size_t i) { return ring_[(head_ + i) % ring_.size()]; }
    void grow();

    std::vector<Date> ring_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

}  // namespace clicktrove
