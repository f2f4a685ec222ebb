#include "platform/linux_scheduling_system.hpp"

#include <linux/capability.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>

namespace clicktrove::platform {

namespace {

SchedulingSystem::Limit readLimit(int resource) {
    rlimit limit{};
    if (::getrlimit(resource, &limit) != 0) return {0, 0};
    auto value = [](rlim_t v) { return v == RLIM_INFINITY ? std::nullopt : std::optional<std::uint64_t>(v); };
    return {value(limit.rlim_cur), value(limit.rlim_max)};
}

}  // namespace

LinuxSchedulingSystem::LinuxSchedulingSystem() : thread_(static_cast<std::uint64_t>(::syscall(SYS_gettid))) {}

SchedulingSystem::Limit LinuxSchedulingSystem::realTimePriorityLimit() {
    return readLimit(RLIMIT_RTPRIO);
}

SchedulingSystem::Limit LinuxSchedulingSystem::niceLimit() {
    return readLimit(RLIMIT_NICE);
}

SchedulingSystem::Limit LinuxSchedulingSystem::realTimeBudgetLimit() {
    return readLimit(RLIMIT_RTTIME);
}

bool LinuxSchedulingSystem::setRealTimeBudgetLimit(const Limit& limit) {
    rlimit value{};
    value.rlim_cur = limit.soft ? static_cast<rlim_t>(*limit.soft) : RLIM_INFINITY;
    value.rlim_max = limit.hard ? static_cast<rlim_t>(*limit.hard) : RLIM_INFINITY;
    return ::setrlimit(RLIMIT_RTTIME, &value) == 0;
}

bool LinuxSchedulingSystem::mayRaiseAnyPriority() {
    // capget directly: libcap only for this one bit would be a dependency for nothing.
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, static_cast<int>(thread_)};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, data) != 0) return false;
    return (data[CAP_TO_INDEX(CAP_SYS_NICE)].effective & CAP_TO_MASK(CAP_SYS_NICE)) != 0;
}

bool LinuxSchedulingSystem::setRealTime(int priority) {
    sched_param param{};
    param.sched_priority = priority;
    // Round-robin rather than FIFO, and reset on fork: a child must not inherit a real-time class.
    // sched_setscheduler with a thread id acts on that thread only.
    return ::sched_setscheduler(static_cast<pid_t>(thread_), SCHED_RR | SCHED_RESET_ON_FORK, &param) == 0;
}

std::optional<int> LinuxSchedulingSystem::niceValue() {
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(thread_));
    if (errno != 0) return std::nullopt;
    return nice;
}

bool LinuxSchedulingSystem::setNiceValue(int nice) {
    // On Linux a thread id names the one thread: the rest of the process keeps its nice value.
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(thread_), nice) == 0;
}

}  // namespace clicktrove::platform
