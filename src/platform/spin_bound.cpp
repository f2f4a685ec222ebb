#include "platform/spin_bound.hpp"

#include <algorithm>

namespace clicktrove::platform {

std::chrono::nanoseconds SpinBound::budgetFor(const SchedulingSystem::Limit& realTimeBudget) {
    auto budget = kMaxRun;
    for (const auto& limit : {realTimeBudget.soft, realTimeBudget.hard}) {
        if (!limit) continue;
        // In microseconds; clamped first, so that a limit near the top of its range cannot overflow.
        const auto quarter = std::min<std::uint64_t>(*limit / 4, static_cast<std::uint64_t>(kMaxRun.count() / 1000));
        budget = std::min(budget, std::chrono::nanoseconds(std::chrono::microseconds(quarter)));
    }
    return budget;
}

}  // namespace clicktrove::platform
