#pragma once

#include "platform/scheduling_system.hpp"

#include <vector>

namespace clicktrove::platform {

// The scheduling system calls of one thread, in memory: the limits and the capability are what the test says;
// a change is kept (and so read back) unless the test makes the kernel refuse it.
class FakeSchedulingSystem final : public SchedulingSystem {
public:
    Limit realTimePriority{0, 0};
    Limit nice{0, 0};
    Limit realTimeBudget{};
    bool capSysNice = false;
    // As a cgroup without a real-time budget does, whatever the limits say.
    bool kernelRefusesRealTime = false;
    int currentNice = 0;
    std::uint64_t thread = 4242;

    // What the thread ended up with.
    int realTimePriorityGot = 0;
    std::vector<Limit> budgetsSet;

    Limit realTimePriorityLimit() override { return realTimePriority; }
    Limit niceLimit() override { return nice; }
    Limit realTimeBudgetLimit() override { return realTimeBudget; }
    bool setRealTimeBudgetLimit(const Limit& limit) override;
    bool mayRaiseAnyPriority() override { return capSysNice; }
    bool setRealTime(int priority) override;
    std::optional<int> niceValue() override { return currentNice; }
    bool setNiceValue(int value) override;
    std::uint64_t threadId() override { return thread; }
};

}  // namespace clicktrove::platform
