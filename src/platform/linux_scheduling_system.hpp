#pragma once

#include "platform/scheduling_system.hpp"

namespace clicktrove::platform {

// The real system calls, for the calling thread.
class LinuxSchedulingSystem final : public SchedulingSystem {
public:
    Limit realTimePriorityLimit() override;
    Limit niceLimit() override;
    Limit realTimeBudgetLimit() override;
    bool setRealTimeBudgetLimit(const Limit& limit) override;
    bool mayRaiseAnyPriority() override;
    bool setRealTime(int priority) override;
    std::optional<int> niceValue() override;
    bool setNiceValue(int nice) override;
    std::uint64_t threadId() override;
};

}  // namespace clicktrove::platform
