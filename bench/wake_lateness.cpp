// How late an absolute clock_nanosleep on CLOCK_MONOTONIC wakes a thread with a timer slack of 1 ns, at the
// priority the engine's thread gets (raised as the engine raises it), on a quiet machine and beside busy
// threads: whether a timing thread needs to wait out any part of an interval on the CPU at all.
//
//   wake_lateness [--interval-ms N]... [--samples N] [--load N] [--normal]
//
// Without --interval-ms it measures 1, 10 and 100 ms; --samples is per interval (default 2000, at least 2 s'
// worth at 1 ms). --load N measures each interval again with N busy threads at normal priority. --normal keeps
// the thread at normal priority instead of raising it.
#include "platform/linux_scheduling_system.hpp"
#include "platform/sd_bus_realtime_kit.hpp"
#include "platform/thread_priority.hpp"
#include "support/busy_load.hpp"
#include "support/proc_sampler.hpp"

#include <sys/prctl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

long long monotonicNs() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

struct Lateness {
    std::string priority;
    std::vector<long long> ns;
};

// One thread, as the engine's: slack 1 ns, raised (unless normal), then `samples` absolute sleeps on a grid.
Lateness measure(double intervalMs, int samples, bool raise) {
    Lateness result;
    std::thread([&] {
        ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        if (raise) {
            // As the engine's thread is raised, but waiting for RealtimeKit's answer before the first sample.
            clicktrove::platform::LinuxSchedulingSystem system;
            clicktrove::platform::SdBusRealtimeKit realtimeKit;
            result.priority = describe(raiseThreadPriority(system, realtimeKit));
        } else {
            result.priority = "normal priority";
        }
        const auto period = static_cast<long long>(intervalMs * 1e6);
        long long deadline = monotonicNs() + period;
        result.ns.reserve(static_cast<std::size_t>(samples));
        for (int i = 0; i < samples; ++i) {
            const timespec at{static_cast<time_t>(deadline / 1'000'000'000LL),
                              static_cast<long>(deadline % 1'000'000'000LL)};
            while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) != 0) {
            }
            result.ns.push_back(monotonicNs() - deadline);
            deadline += period;
        }
    }).join();
    std::sort(result.ns.begin(), result.ns.end());
    return result;
}

void print(double intervalMs, int load, const Lateness& l) {
    auto pct = [&](double q) {
        return static_cast<double>(
                   l.ns[std::min(l.ns.size() - 1, static_cast<std::size_t>(q * static_cast<double>(l.ns.size())))]) /
               1000.0;
    };
    auto later = [&](long long us) {
        const auto n = l.ns.end() - std::upper_bound(l.ns.begin(), l.ns.end(), us * 1000);
        return 100.0 * static_cast<double>(n) / static_cast<double>(l.ns.size());
    };
    std::printf("%6.1f ms %5d %8.1f %8.1f %8.1f %8.1f %9.1f %8.2f%% %8.2f%%\n", intervalMs, load, pct(0.5), pct(0.9),
                pct(0.99), pct(0.999), static_cast<double>(l.ns.back()) / 1000.0, later(50), later(250));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<double> intervals;
    int samples = 2000, load = 0;
    bool raise = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--interval-ms" && hasValue) {
            intervals.push_back(std::max(std::atof(argv[++i]), 0.01));
        } else if (a == "--samples" && hasValue) {
            samples = std::max(std::atoi(argv[++i]), 10);
        } else if (a == "--load" && hasValue) {
            load = std::max(std::atoi(argv[++i]), 0);
        } else if (a == "--normal") {
            raise = false;
        } else {
            std::fprintf(stderr, "usage: wake_lateness [--interval-ms N]... [--samples N] [--load N] [--normal]\n");
            return 2;
        }
    }
    if (intervals.empty()) intervals = {1, 10, 100};
    std::printf("wake_lateness: %d samples per interval, %u cores, load average %s\n", samples,
                std::thread::hardware_concurrency(), bench::machineLoadAverage().c_str());
    std::printf("lateness of the wake-up after the deadline, microseconds\n");
    std::printf("%9s %5s %8s %8s %8s %8s %9s %9s %9s\n", "interval", "load", "p50", "p90", "p99", "p99.9", "max",
                ">50us", ">250us");
    std::string priority;
    for (const double interval : intervals) {
        for (const int busy : load > 0 ? std::vector<int>{0, load} : std::vector<int>{0}) {
            bench::BusyLoad threads;
            threads.start(busy);
            const Lateness l = measure(interval, samples, raise);
            threads.stop();
            priority = l.priority;
            print(interval, busy, l);
        }
    }
    std::printf("thread priority: %s\n", priority.c_str());
    return 0;
}
