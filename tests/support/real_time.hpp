#pragma once

#include <pthread.h>
#include <sched.h>
#include <chrono>
#include <ctime>
#include <thread>

namespace clicktrove::testing {

// The calling thread's scheduling policy, without the reset-on-fork flag.
inline int callingThreadPolicy() {
    return ::sched_getscheduler(0) & ~SCHED_RESET_ON_FORK;
}

// Whether a new thread of this process may take round-robin real time by itself (root, CAP_SYS_NICE or
// RLIMIT_RTPRIO): the tests of what the kernel does to real-time threads need it.
inline bool threadsMayRunRealTime() {
    bool may = false;
    std::thread([&] {
        sched_param param{};
        param.sched_priority = 1;
        may = ::sched_setscheduler(0, SCHED_RR, &param) == 0;
    }).join();
    return may;
}

// Keeps the calling thread on its CPU, never sleeping, for this much of its own CPU time.
inline void burnCpu(std::chrono::nanoseconds cpuTime) {
    auto now = [] {
        timespec cpu{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        return std::chrono::seconds(cpu.tv_sec) + std::chrono::nanoseconds(cpu.tv_nsec);
    };
    const auto until = now() + cpuTime;
    while (now() < until) {
    }
}

}  // namespace clicktrove::testing
