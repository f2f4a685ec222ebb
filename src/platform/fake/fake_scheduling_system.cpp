#include "platform/fake/fake_scheduling_system.hpp"

namespace clicktrove::platform {

namespace {

bool above(const std::optional<std::uint64_t>& limit, std::uint64_t value) {
    return !limit || value > *limit;
}

}  // namespace

bool FakeSchedulingSystem::setRealTimeBudgetLimit(const Limit& limit) {
    // As setrlimit: soft above hard is invalid, and only a privileged process may raise a hard limit.
    if (limit.soft && limit.hard && *limit.soft > *limit.hard) return false;
    if (!limit.soft && limit.hard) return false;
    if (!capSysNice && realTimeBudget.hard && above(limit.hard, *realTimeBudget.hard)) return false;
    budgetsSet.push_back(limit);
    realTimeBudget = limit;
    return true;
}

bool FakeSchedulingSystem::setRealTime(int priority) {
    if (kernelRefusesRealTime) return false;
    if (!capSysNice && realTimePriority.soft && static_cast<std::uint64_t>(priority) > *realTimePriority.soft) {
        return false;
    }
    realTimePriorityGot = priority;
    return true;
}

bool FakeSchedulingSystem::setNiceValue(int value) {
    if (!capSysNice && value < currentNice && nice.soft && value < 20 - static_cast<int>(*nice.soft)) {
        return false;
    }
    currentNice = value;
    return true;
}

}  // namespace clicktrove::platform
