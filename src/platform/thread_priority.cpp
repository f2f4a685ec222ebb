#include "platform/thread_priority.hpp"

#include "platform/linux_scheduling_system.hpp"
#include "platform/realtime_overrun_guard.hpp"
#include "platform/sd_bus_realtime_kit.hpp"
#include "platform/spin_bound.hpp"
#include "platform/thread_id_lease.hpp"

#include <pthread.h>
#include <algorithm>
#include <cstdio>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace clicktrove::platform {

namespace {

using Step = ThreadPriority::Step;

// A timing thread reads its spin bound once, at its start, and RealtimeKit's real time may come after that: a
// budget whose soft half leaves the bound its full length keeps the bound valid whenever it comes.
constexpr std::chrono::microseconds kShortestRealTimeBudget =
    std::chrono::duration_cast<std::chrono::microseconds>(SpinBound::kMaxRun * 4 * 2);

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
    auto wanted = system.realTimeBudgetLimit();
    if (!wanted.hard || *wanted.hard > maxMicroseconds) wanted.hard = maxMicroseconds;
    wanted = withRoomToDemote(wanted);
    return wanted == system.realTimeBudgetLimit() || system.setRealTimeBudgetLimit(wanted);
}

bool isLower(std::optional<int> nice, SchedulingSystem& system) {
    const auto current = system.niceValue();
    return nice && current && *nice < *current;
}

// Real time the thread takes by itself, where the limits or the capability allow it and the kernel agrees. A hard
// RLIMIT_RTTIME the process already has (set by the user or the session) gets a soft limit below it first.
std::optional<ThreadPriority> takeRealTimeDirectly(SchedulingSystem& system) {
    const int priority = directRealTimePriority(system);
    if (priority <= 0) return std::nullopt;
    const auto budget = system.realTimeBudgetLimit();
    if (withRoomToDemote(budget) != budget) system.setRealTimeBudgetLimit(withRoomToDemote(budget));
    if (system.setRealTime(priority)) return ThreadPriority{Step::realTime, priority, {}};
    return std::nullopt;
}

// The steps after the thread's own real time: RealtimeKit's real time, its raised nice value, the nice value the
// limits allow.
ThreadPriority askBeyondOwnRights(SchedulingSystem& system, RealtimeKit& realtimeKit,
                                  const std::optional<RealtimeKit::Limits>& limits) {
    std::string refusal;
    if (limits) {
        const std::uint64_t thread = system.threadId();
        const int kitPriority = std::min(kTimingRealTimePriority, limits->maxRealtimePriority);
        if (kitPriority < 1 || limits->rtTimeUSecMax <= 0) {
            refusal = "it hands out no real-time priority";
        } else if (limits->rtTimeUSecMax < kShortestRealTimeBudget.count()) {
            refusal = "its RTTimeUSecMax of " + std::to_string(limits->rtTimeUSecMax) + " us is shorter than the " +
                      std::to_string(kShortestRealTimeBudget.count()) + " us a timing thread needs";
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

// Says each different outcome once per process.
void say(const ThreadPriority& priority) {
    // Never destroyed: a thread may still start, or hear back from RealtimeKit, while the process exits.
    static auto* mutex = new std::mutex;
    static auto* said = new std::vector<ThreadPriority>;
    std::lock_guard lock(*mutex);
    if (std::find(said->begin(), said->end(), priority) != said->end()) return;
    said->push_back(priority);
    std::fprintf(stderr, "Clicktrove: %s\n", describe(priority).c_str());
}

}  // namespace

SchedulingSystem::Limit withRoomToDemote(SchedulingSystem::Limit budget) {
    if (!budget.hard) return budget;
    const std::uint64_t half = *budget.hard / 2;
    if (!budget.soft || *budget.soft > half) budget.soft = half;
    return budget;
}

ThreadPriority raiseThreadPriority(SchedulingSystem& system, RealtimeKit& realtimeKit) {
    if (const auto direct = takeRealTimeDirectly(system)) return *direct;
    return askBeyondOwnRights(system, realtimeKit, realtimeKit.limits());
}

std::optional<ThreadPriority> raiseThreadPriorityOnBehalf(ThreadIdLease& lease, SchedulingSystem& target,
                                                          RealtimeKit& realtimeKit) {
    // The bus may take long to answer the first question (the connection, the service starting on demand): asked
    // before the lease is taken, it never holds up the thread's end.
    const auto limits = realtimeKit.limits();
    std::optional<ThreadPriority> outcome;
    lease.use([&](std::uint64_t) { outcome = askBeyondOwnRights(target, realtimeKit, limits); });
    return outcome;
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

void raiseCurrentThreadPriority() {
    RealTimeOverrunGuard::install();
    LinuxSchedulingSystem system;
    if (const auto direct = takeRealTimeDirectly(system)) {
        RealTimeOverrunGuard::keepSoftLimit();
        say(*direct);
        return;
    }
    // RealtimeKit is on the system bus, which may be slow to answer (the service and polkit start on demand) or
    // never answer (a hung bus keeps a new connection waiting for its 90 s authentication timeout): a timing thread
    // must not wait for it, nor the program's exit for the thread. Its requests name the thread by its id, so they
    // are made from a thread of their own, and only while the thread lives: once it has ended its id may be
    // another thread's.
    try {
        std::thread([lease = ThreadIdLease::ofCallingThread()] {
            ::pthread_setname_np(::pthread_self(), "clicktrove-prio");
            SdBusRealtimeKit realtimeKit;
            LinuxSchedulingSystem target(lease->threadId());
            const auto outcome = raiseThreadPriorityOnBehalf(*lease, target, realtimeKit);
            RealTimeOverrunGuard::keepSoftLimit();
            if (outcome) say(*outcome);
        }).detach();
    } catch (const std::system_error&) {
        say({Step::none, 0, "no thread could be started to ask it"});
    }
}

}  // namespace clicktrove::platform
