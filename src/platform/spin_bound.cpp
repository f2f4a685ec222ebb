#include "platform/spin_bound.hpp"

#include <sys/resource.h>
#include <algorithm>
#include <ctime>

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

SpinBound::Reading SpinBound::readCallingThread() {
    Reading reading;
    rusage usage{};
    if (::getrusage(RUSAGE_THREAD, &usage) == 0) reading.sleeps = usage.ru_nvcsw;
    // Not getrusage's times: with tick-based accounting they lag the running thread by up to a tick, while the
    // thread's CPU clock includes the run under way.
    timespec cpu{};
    if (::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu) == 0) {
        reading.cpu = std::chrono::seconds(cpu.tv_sec) + std::chrono::nanoseconds(cpu.tv_nsec);
    }
    return reading;
}

}  // namespace clicktrove::platform
