#include "platform/thread_priority.hpp"

#include "platform/linux_scheduling_system.hpp"
#include "platform/sd_bus_realtime_kit.hpp"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <vector>

namespace clicktrove::platform {

namespace {

using Step = ThreadPriority::Step;

// The real-time priority the limits let the thread take by itself; 0 for none.
int directRealTimePriority(SchedulingSystem& system) {
    if (system.mayRaiseAnyPriority()) return kTimingRealTimePriority;
    const auto limit = system.realTimePriorityLimit().soft;
    if (!limit) return kTimingRealTimePriority;
    return static_cast<int>(std::min<std::uint64_t>(*limit, kTimingRealTimePriority));
}

// The lowest nice value the limits let the thread take by itself; nullopt for none below 0.
std::optional<int> directNiceFloor(SchedulingSystem& system) {
    if (system.mayRaiseAnyPriority()) return kTimingBestNice;
    const auto limit = system.niceLimit().soft;
    if (!limit) return kTimingBestNice;
    const int floor = 20 - static_cast<int>(std::min<std::uint64_t>(*limit, 40));
    if (floor >= 0) return std::nullopt;
    return std::max(kTimingBestNice, floor);
}

// RealtimeKit grants real time only to a process whose RLIMIT_RTTIME hard limit is at most its own maximum, so
// that a runaway thread is stopped by the kernel. Lowering a limit needs no privilege; a soft limit already
// lower is kept.
bool fitRealTimeBudget(SchedulingSystem& system, std::uint64_t maxMicroseconds) {
    const auto current = system.realTimeBudgetLimit();
    if (current.hard && *current.hard <= maxMicroseconds) return true;
    SchedulingSystem::Limit wanted;
    wanted.soft = current.soft && *current.soft <= maxMicroseconds ? *current.soft : maxMicroseconds;
    wanted.hard = maxMicroseconds;
    return system.setRealTimeBudgetLimit(wanted);
}

bool isLower(std::optional<int> nice, SchedulingSystem& system) {
    const auto current = system.niceValue();
    return nice && current && *nice < *current;
}

}  // namespace

ThreadPriority raiseThreadPriority(SchedulingSystem& system, RealtimeKit& realtimeKit) {
    const int priority = directRealTimePriority(system);
    if (priority > 0 && system.setRealTime(priority)) return {Step::realTime, priority, {}};

    std::string refusal;
    if (const auto limits = realtimeKit.limits()) {
        const std::uint64_t thread = system.threadId();
        const int kitPriority = std::min(kTimingRealTimePriority, limits->maxRealtimePriority);
        if (kitPriority < 1 || limits->rtTimeUSecMax <= 0) {
            refusal = "it hands out no real-time priority";
        } else if (!fitRealTimeBudget(system, static_cast<std::uint64_t>(limits->rtTimeUSecMax))) {
            refusal = "RLIMIT_RTTIME could not be lowered to its maximum";
        } else {
            const auto answer = realtimeKit.makeThreadRealtime(thread, static_cast<std::uint32_t>(kitPriority));
            if (answer.kind == RealtimeKit::Answer::Kind::granted) {
                return {Step::realTimeThroughRealtimeKit, kitPriority, {}};
            }
            refusal = answer.reason;
        }
        const int kitNice = std::max(kTimingBestNice, limits->minNiceLevel);
        if (kitNice < 0 && isLower(kitNice, system)) {
            const auto answer = realtimeKit.makeThreadHighPriority(thread, kitNice);
            if (answer.kind == RealtimeKit::Answer::Kind::granted) {
                return {Step::niceThroughRealtimeKit, kitNice, refusal};
            }
        }
    } else {
        refusal = "not running";
    }

    const auto floor = directNiceFloor(system);
    if (isLower(floor, system) && system.setNiceValue(*floor)) return {Step::nice, *floor, refusal};
    return {Step::none, 0, refusal};
}

std::string describe(const ThreadPriority& priority) {
    const std::string kit =
        priority.realtimeKitRefusal.empty() ? "" : " (RealtimeKit: " + priority.realtimeKitRefusal + ")";
    const std::string level = std::to_string(priority.level);
    switch (priority.step) {
        case Step::realTime:
            return "the click and shortcut threads run at real-time priority " + level + " (round-robin)";
        case Step::realTimeThroughRealtimeKit:
            return "the click and shortcut threads run at real-time priority " + level +
                   " (round-robin), granted by RealtimeKit";
        case Step::niceThroughRealtimeKit:
            return "the click and shortcut threads run at nice " + level + ", granted by RealtimeKit" + kit;
        case Step::nice:
            return "the click and shortcut threads run at nice " + level + kit;
        case Step::none:
            break;
    }
    return "the click and shortcut threads run at normal priority, so a busy machine delays clicks" + kit +
           "; the rtkit package or a real-time limit (ulimit -r) lets them run at real-time priority";
}

ThreadPriority raiseCurrentThreadPriority() {
    LinuxSchedulingSystem system;
    SdBusRealtimeKit realtimeKit;
    ThreadPriority priority = raiseThreadPriority(system, realtimeKit);

    // Never destroyed: a thread may still start while the process exits.
    static auto* mutex = new std::mutex;
    static auto* said = new std::vector<ThreadPriority>;
    std::lock_guard lock(*mutex);
    if (std::find(said->begin(), said->end(), priority) == said->end()) {
        said->push_back(priority);
        std::fprintf(stderr, "Clicktrove: %s\n", describe(priority).c_str());
    }
    return priority;
}

}  // namespace clicktrove::platform
