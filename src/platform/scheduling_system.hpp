#pragma once

#include <cstdint>
#include <optional>

namespace clicktrove::platform {

// The system calls that decide a thread's scheduling, for one thread: what the process may do and the changes
// themselves. LinuxSchedulingSystem makes the real calls; tests put a stand-in in its place.
class SchedulingSystem {
public:
    // A resource limit's soft and hard values; nullopt stands for unlimited.
    struct Limit {
        std::optional<std::uint64_t> soft;
        std::optional<std::uint64_t> hard;
        bool operator==(const Limit&) const = default;
    };

    virtual ~SchedulingSystem() = default;

    // RLIMIT_RTPRIO: the highest real-time priority the process may take without privileges.
    virtual Limit realTimePriorityLimit() = 0;
    // RLIMIT_NICE: nice values down to 20 - the limit are allowed.
    virtual Limit niceLimit() = 0;
    // RLIMIT_RTTIME, in microseconds: the CPU time a real-time thread may run without blocking.
    virtual Limit realTimeBudgetLimit() = 0;
    virtual bool setRealTimeBudgetLimit(const Limit& limit) = 0;
    // CAP_SYS_NICE in the effective set: any priority, whatever the limits say.
    virtual bool mayRaiseAnyPriority() = 0;

    // Round-robin real time at this priority, reset on fork. False when the kernel refused it.
    virtual bool setRealTime(int priority) = 0;
    virtual std::optional<int> niceValue() = 0;
    virtual bool setNiceValue(int nice) = 0;
    // The kernel's id of the thread (gettid), which RealtimeKit asks for.
    virtual std::uint64_t threadId() = 0;
};

}  // namespace clicktrove::platform
