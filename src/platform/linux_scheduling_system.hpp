#pragma once

#include "platform/scheduling_system.hpp"

namespace clicktrove::platform {

// The real system calls, for the calling thread or, by its id, another thread of this process (a change made from
// another thread needs the same rights as one the thread makes itself).
class LinuxSchedulingSystem final : public SchedulingSystem {
public:
    LinuxSchedulingSystem();
    explicit LinuxSchedulingSystem(std::uint64_t threadId) : thread_(threadId) {}

    Limit realTimePriorityLimit() override;
    Limit niceLimit() override;
    Limit realTimeBudgetLimit() override;
    bool setRealTimeBudgetLimit(const Limit& limit) override;
    bool mayRaiseAnyPriority() override;
    bool setRealTime(int priority) override;
    std::optional<int> niceValue() override;
    bool setNiceValue(int nice) override;
    std::uint64_t threadId() override { return thread_; }

private:
    std::uint64_t thread_;
};

}  // namespace clicktrove::platform
