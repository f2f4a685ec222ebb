#pragma once

#include "platform/realtime_kit.hpp"
#include "platform/scheduling_system.hpp"

#include <functional>
#include <vector>

namespace clicktrove::platform {

// RealtimeKit in memory, with the real service's rules where they decide the outcome: real time only for a
// process whose RLIMIT_RTTIME hard limit is within its maximum, and only within its priority and nice bounds.
// The process is the one the given system stands for.
class FakeRealtimeKit final : public RealtimeKit {
public:
    explicit FakeRealtimeKit(SchedulingSystem& process) : process_(process) {}

    bool running = true;
    Limits offered{20, -15, 200'000};
    // What the service's policy (polkit) lets through.
    bool grantsRealTime = true;
    bool grantsHighPriority = true;

    struct Request {
        enum class Kind { realTime, highPriority } kind;
        std::uint64_t thread;
        int level;
        bool operator==(const Request&) const = default;
    };
    std::vector<Request> requests;
    // Runs as the limits are asked for, as a slow bus would let other things happen meanwhile.
    std::function<void()> whileAskedForLimits;

    std::optional<Limits> limits() override;
    Answer makeThreadRealtime(std::uint64_t threadId, std::uint32_t priority) override;
    Answer makeThreadHighPriority(std::uint64_t threadId, std::int32_t nice) override;

private:
    SchedulingSystem& process_;
};

}  // namespace clicktrove::platform
