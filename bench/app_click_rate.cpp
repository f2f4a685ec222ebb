// Measures the real application as a user runs it, on a private Xvfb with a private HOME and session bus:
// the start-up time (exec to the main window mapped, and to its first frame), then per interval a run started
// with the global shortcut Ctrl+Shift+S after the 2 s countdown, with the presses counted by a full-screen
// window of the bench's own X connection, the application's CPU (all threads) and memory during the run, the
// Escape stop (presses that still reached the server after the key, and when the last button release came),
// the CPU right after the run and the idle CPU with the window open once it has settled, and xdotool's repeated
// click at the same interval on the same server for a side-by-side ratio. During each run it also pauses and
// resumes with Ctrl+Shift+P and Ctrl+Shift+R and times the first press after the R; at the end it quits the
// program with SIGTERM while a hold run, then a drag, holds the left button, and reads the server's buttons after.
//
//   app_click_rate [--app PATH] [--interval-ms N]... [--mode current|fixed] [--seconds S] [--launches N]
//                  [--idle-seconds S] [--resume-trials N] [--no-quit-checks] [--no-peer] [--load N] [--no-priority]
//
// --load N measures each interval twice: quiet, then with N busy threads at normal priority beside the program and
// xdotool (a game's stand-in). --no-priority starts the program with no way to raise its threads (CAP_SYS_NICE
// dropped, RLIMIT_RTPRIO and RLIMIT_NICE 0, no system bus), as a desktop user without RealtimeKit. Each row says
// how the program's engine and key-watcher threads ran and what the program said about it. The measuring
// apparatus (Xvfb and the counting thread) runs at real-time priority where the bench may set it, so that under
// load it times the program and not its own wait for a CPU.
//
// The application is started with a remembered configuration (written into its settings file beforehand)
// that is the default one but for the interval and the position mode. --mode current (the application's
// default) clicks wherever the pointer is, which the bench puts in the middle of its counting window; fixed
// clicks there as a fixed point. Without --interval-ms it measures 1, 10 and 100 ms. --app defaults to the
// application built beside the bench (../src/clicktrove from this executable).
#include "support/app/app_bench.hpp"
#include "support/app/figures_report.hpp"
#include "support/child.hpp"
#include "support/press_counter.hpp"
#include "support/proc_sampler.hpp"
#include "support/thread_scheduling.hpp"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using clicktrove::ClickPositionMode;

namespace {

std::string besideThisBench(const std::string& relative) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return relative;
    return (self.parent_path() / relative).lexically_normal().string();
}

std::optional<bench::AppBenchOptions> parse(int argc, char** argv) {
    bench::AppBenchOptions o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--app" && hasValue) {
            o.app = argv[++i];
        } else if (a == "--interval-ms" && hasValue) {
            o.intervals.push_back(std::max(std::atof(argv[++i]), 1.0));
        } else if (a == "--seconds" && hasValue) {
            o.runSeconds = std::atof(argv[++i]);
        } else if (a == "--launches" && hasValue) {
            o.launches = std::atoi(argv[++i]);
        } else if (a == "--idle-seconds" && hasValue) {
            o.idleSeconds = std::atof(argv[++i]);
        } else if (a == "--resume-trials" && hasValue) {
            o.resumeTrials = std::max(std::atoi(argv[++i]), 0);
        } else if (a == "--no-quit-checks") {
            o.quitChecks = false;
        } else if (a == "--no-peer") {
            o.peer = false;
        } else if (a == "--load" && hasValue) {
            o.load = std::max(std::atoi(argv[++i]), 0);
        } else if (a == "--no-priority") {
            o.noPriority = true;
        } else if (a == "--mode" && hasValue &&
                   (std::strcmp(argv[i + 1], "current") == 0 || std::strcmp(argv[i + 1], "fixed") == 0)) {
            o.mode = std::strcmp(argv[++i], "fixed") == 0 ? ClickPositionMode::fixed : ClickPositionMode::current;
        } else {
            return std::nullopt;
        }
    }
    if (o.app.empty()) o.app = besideThisBench("../src/clicktrove");
    if (o.intervals.empty()) o.intervals = {1, 10, 100};
    if (!(o.runSeconds > 0)) o.runSeconds = 3;
    if (!(o.idleSeconds > 0)) o.idleSeconds = 10;
    o.launches = std::max(o.launches, 1);
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const auto options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr,
                     "usage: app_click_rate [--app PATH] [--interval-ms N]... [--mode current|fixed] [--seconds S] "
                     "[--launches N] [--idle-seconds S] [--resume-trials N] [--no-quit-checks] [--no-peer] [--load N] [--no-priority]\n");
        return 2;
    }
    if (::access(options->app.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "app_click_rate: no application at %s (build it, or name it with --app)\n",
                     options->app.c_str());
        return 1;
    }
    bench::PrivateXvfb xvfb;
    if (!xvfb.start()) {
        std::fprintf(stderr, "app_click_rate: could not start Xvfb\n");
        return 1;
    }
    // For xdotool.
    ::setenv("DISPLAY", xvfb.display().c_str(), 1);
    bench::PressCounter counter;
    if (!counter.open(xvfb.display())) {
        std::fprintf(stderr, "app_click_rate: cannot open display %s\n", xvfb.display().c_str());
        return 1;
    }
    // Above the program's own real-time threads (priority 10).
    constexpr int kApparatusPriority = 20;
    const bool apparatusRaised = bench::raiseProcessToRealTime(xvfb.pid(), kApparatusPriority) &&
                                 bench::raiseThreadToRealTime(counter.threadId(), kApparatusPriority);
    bench::AppBench bench(*options, xvfb.display(), counter);
    if (!bench.open()) {
        std::fprintf(stderr, "app_click_rate: cannot set up a private session (temporary folder, dbus-daemon)\n");
        return 1;
    }
    std::printf("app_click_rate: %s on %s, mode %s, %.1f s per run, idle %.1f s, load %d busy threads on %u cores%s\n",
                options->app.c_str(), xvfb.display().c_str(),
                options->mode == ClickPositionMode::fixed ? "fixed" : "current", options->runSeconds,
                options->idleSeconds, options->load, std::thread::hardware_concurrency(),
                options->noPriority ? ", the program without any way to raise its priority" : "");
    std::printf("apparatus (Xvfb, counter): %s; machine load average at start: %s\n",
                apparatusRaised ? "real-time priority 20" : "normal priority (the bench may not raise it)",
                bench::machineLoadAverage().c_str());
    std::fflush(stdout);
    bench::printStartUp(bench.measureStartUp(options->intervals.front()));
    std::fflush(stdout);

    std::vector<bench::IntervalFigures> rows;
    std::size_t wanted = 0;
    for (const double interval : options->intervals) {
        for (const int load : options->load > 0 ? std::vector<int>{0, options->load} : std::vector<int>{0}) {
            ++wanted;
            if (auto figures = bench.measureInterval(interval, load)) rows.push_back(*figures);
        }
    }
    bench::printIntervalTable(rows, options->peer);
    if (options->quitChecks) {
        std::printf("\n");
        bench::printQuitChecks(bench.measureQuitsWhileHolding());
    }
    std::printf("machine load average at the end: %s\n", bench::machineLoadAverage().c_str());
    return rows.size() == wanted ? 0 : 1;
}
