// Measures the real application as a user runs it, on a private Xvfb with a private HOME and session bus:
// the start-up time (exec to the main window mapped, and to its first frame), then per interval a run started
// with the global shortcut Ctrl+Shift+S after the 2 s countdown, with the presses counted by a full-screen
// window of the bench's own X connection, the application's CPU (all threads) and memory during the run, the
// Escape stop (presses that still reached the server after the key, and when the last button release came),
// the idle CPU with the window open afterwards, and xdotool's repeated click at the same interval on the same
// server for a side-by-side ratio.
//
//   app_click_rate [--app PATH] [--interval-ms N]... [--mode current|fixed] [--seconds S] [--launches N]
//                  [--idle-seconds S] [--no-peer]
//
// The application is started with a remembered configuration (written into its settings file beforehand)
// that is the default one but for the interval and the position mode. --mode current (the application's
// default) clicks wherever the pointer is, which the bench puts in the middle of its counting window; fixed
// clicks there as a fixed point. Without --interval-ms it measures 1, 10 and 100 ms. --app defaults to the
// application built beside the bench (../src/clicktrove from this executable).
#include "support/app/remembered_config.hpp"
#include "support/child.hpp"
#include "support/key_presser.hpp"
#include "support/launched_program.hpp"
#include "support/press_counter.hpp"
#include "support/press_stats.hpp"
#include "support/private_session.hpp"
#include "support/proc_sampler.hpp"
#include "support/top_level_watcher.hpp"

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using bench::Clock;
using clicktrove::ClickPositionMode;

namespace {

constexpr const char* kWmClass = "Clicktrove";

struct Options {
    std::string app;
    std::vector<double> intervals;
    ClickPositionMode mode = ClickPositionMode::current;
    double runSeconds = 3;
    int launches = 5;
    double idleSeconds = 10;
    bool peer = true;
};

struct LaunchTimes {
    double mappedMs = 0;
    double firstFrameMs = 0;
};

struct IntervalFigures {
    double intervalMs = 0;
    bench::PressStats app, xdotool;
    double appCpu = 0, idleCpu = 0, xdotoolCpu = 0;
    std::map<std::string, double> threadCpu;
    long rssAfterStartKb = 0, rssEndKb = 0, peakRssKb = 0;
    bench::EscapeAftermath escape;
    bool stoppedByEscape = false;
};

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

Clock::duration seconds(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string besideThisBench(const std::string& relative) {
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return relative;
    return (self.parent_path() / relative).lexically_normal().string();
}

void printLogTail(const std::filesystem::path& log) {
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const std::size_t from = lines.size() > 20 ? lines.size() - 20 : 0;
    for (std::size_t i = from; i < lines.size(); ++i) std::fprintf(stderr, "  | %s\n", lines[i].c_str());
}

class AppBench {
public:
    AppBench(const Options& options, const std::string& display, bench::PressCounter& counter)
        : options_(options), display_(display), counter_(counter) {}

    bool open() {
        if (!session_.start(display_) || !watcher_.open(display_) || !keys_.open(display_)) return false;
        log_ = session_.root() / "app.log";
        return true;
    }

    // Exec to the main window mapped and to its first frame, one fresh launch at a time.
    std::vector<LaunchTimes> measureStartUp(double intervalMs) {
        std::vector<LaunchTimes> launches;
        if (!remember(intervalMs)) return launches;
        for (int i = 0; i < options_.launches; ++i) {
            bench::LaunchedProgram app;
            if (const auto times = launch(app)) launches.push_back(*times);
            app.stop();
        }
        return launches;
    }

    std::optional<IntervalFigures> measureInterval(double intervalMs) {
        IntervalFigures f;
        f.intervalMs = intervalMs;
        if (!remember(intervalMs)) return std::nullopt;
        bench::LaunchedProgram app;
        if (!launch(app)) return std::nullopt;
        // The work put off until after the first frame, and the first turns of the window's timers.
        std::this_thread::sleep_for(1500ms);
        f.rssAfterStartKb = bench::sampleProcess(app.pid()).rssKb;

        counter_.raise();
        counter_.centrePointer();
        counter_.reset();
        if (!keys_.press({"Control_L", "Shift_L", "s"})) return std::nullopt;
        const auto firstPress = waitForFirstPress(Clock::now() + 6s);
        if (!firstPress) {
            std::fprintf(stderr, "app_click_rate: no click reached the counter after Ctrl+Shift+S\n");
            printLogTail(log_);
            return std::nullopt;
        }
        std::this_thread::sleep_until(*firstPress + 300ms);
        const auto runStart = bench::sampleProcess(app.pid());
        std::this_thread::sleep_until(*firstPress + 300ms + seconds(options_.runSeconds));
        const auto runEnd = bench::sampleProcess(app.pid());
        f.app = bench::pressStats(counter_.presses(), options_.runSeconds);
        f.appCpu = bench::cpuShare(runStart, runEnd);
        f.threadCpu = bench::threadCpuShares(runStart, runEnd);
        f.rssEndKb = runEnd.rssKb;

        counter_.reset();
        keys_.press({"Escape"});
        std::this_thread::sleep_for(400ms);
        f.escape = bench::escapeAftermath(counter_.arrivals());
        // Stopped for good: nothing more arrives in the next while.
        counter_.reset();
        std::this_thread::sleep_for(300ms);
        f.stoppedByEscape = f.escape.keySeen && counter_.presses().empty();

        // The window in sight again, and the run's end behind it.
        counter_.lower();
        std::this_thread::sleep_for(2s);
        const auto idleStart = bench::sampleProcess(app.pid());
        std::this_thread::sleep_for(seconds(options_.idleSeconds));
        const auto idleEnd = bench::sampleProcess(app.pid());
        f.idleCpu = bench::cpuShare(idleStart, idleEnd);
        f.peakRssKb = idleEnd.peakRssKb;
        app.stop();

        if (options_.peer) runXdotool(intervalMs, f);
        return f;
    }

private:
    bool remember(double intervalMs) {
        bench::RememberedRun run{intervalMs, options_.mode, counter_.width() / 2.0, counter_.height() / 2.0};
        if (bench::writeRememberedRun(session_.configHome(), run)) return true;
        std::fprintf(stderr, "app_click_rate: cannot write the settings under %s\n", session_.configHome().c_str());
        return false;
    }

    std::optional<LaunchTimes> launch(bench::LaunchedProgram& app) {
        counter_.lower();
        if (!app.start(options_.app, session_.environment(), log_.string())) {
            std::fprintf(stderr, "app_click_rate: cannot start %s\n", options_.app.c_str());
            return std::nullopt;
        }
        const auto mapped = watcher_.waitForMap(kWmClass, app.startedAt() + 20s);
        if (!mapped) {
            std::fprintf(stderr, "app_click_rate: no main window within 20 s\n");
            printLogTail(log_);
            return std::nullopt;
        }
        const auto framed = watcher_.waitForFirstFrame(mapped->window, mapped->at + 10s);
        return LaunchTimes{ms(mapped->at - app.startedAt()), framed ? ms(*framed - app.startedAt()) : 0.0};
    }

    std::optional<Clock::time_point> waitForFirstPress(Clock::time_point deadline) {
        while (Clock::now() < deadline) {
            const auto presses = counter_.presses();
            if (!presses.empty()) return presses.front();
            std::this_thread::sleep_for(5ms);
        }
        return std::nullopt;
    }

    void runXdotool(double intervalMs, IntervalFigures& f) {
        counter_.raise();
        counter_.centrePointer();
        counter_.reset();
        const long repeat = static_cast<long>(options_.runSeconds * 1000.0 / intervalMs) + 50;
        const auto started = Clock::now();
        const pid_t pid = bench::spawn({"xdotool", "click", "--repeat", std::to_string(repeat), "--delay",
                                        std::to_string(static_cast<long>(intervalMs)), "1"});
        if (pid <= 0) return;
        const auto cap = std::chrono::duration_cast<std::chrono::milliseconds>(seconds(options_.runSeconds * 4 + 5));
        const double cpu = bench::waitForCpuSeconds(pid, cap);
        const double wall = std::chrono::duration<double>(Clock::now() - started).count();
        std::this_thread::sleep_for(100ms);
        f.xdotool = bench::pressStats(counter_.presses(), options_.runSeconds);
        f.xdotoolCpu = wall > 0 ? cpu / wall : 0;
        counter_.lower();
    }

    const Options& options_;
    std::string display_;
    bench::PressCounter& counter_;
    bench::PrivateSession session_;
    bench::TopLevelWatcher watcher_;
    bench::KeyPresser keys_;
    std::filesystem::path log_;
};

void printStartUp(const std::vector<LaunchTimes>& launches) {
    if (launches.empty()) {
        std::printf("start-up: no launch showed its window\n");
        return;
    }
    std::vector<double> mapped, framed;
    for (const auto& l : launches) {
        mapped.push_back(l.mappedMs);
        if (l.firstFrameMs > 0) framed.push_back(l.firstFrameMs);
    }
    std::printf("start-up, exec to main window mapped: median %.0f ms (min %.0f, max %.0f) over %zu launches\n",
                median(mapped), *std::min_element(mapped.begin(), mapped.end()),
                *std::max_element(mapped.begin(), mapped.end()), mapped.size());
    if (!framed.empty()) {
        std::printf("start-up, exec to its first frame:    median %.0f ms (min %.0f, max %.0f)\n", median(framed),
                    *std::min_element(framed.begin(), framed.end()), *std::max_element(framed.begin(), framed.end()));
    }
}

void printTable(const std::vector<IntervalFigures>& rows, bool peer) {
    std::printf("\n%9s %10s %10s %10s %8s %8s %8s %8s %7s %7s %7s %s\n", "interval", "configured", "app", "xdotool",
                "app/xdo", "app CPU", "xdo CPU", "idle CPU", "RSS st", "RSS run", "VmHWM", "escape");
    for (const auto& r : rows) {
        char escape[96];
        if (!r.escape.keySeen) {
            std::snprintf(escape, sizeof escape, "key not seen");
        } else {
            std::snprintf(escape, sizeof escape, "%s, %d presses after, last release %.2f ms",
                          r.stoppedByEscape ? "stopped" : "NOT stopped", r.escape.presses, r.escape.lastReleaseMs);
        }
        const double ratio = peer && r.xdotool.rate > 0 ? r.app.rate / r.xdotool.rate : 0;
        std::printf("%6.1f ms %8.1f/s %8.1f/s %8.1f/s %7.3fx %7.2f%% %7.2f%% %7.3f%% %5.1fMB %5.1fMB %5.1fMB %s\n",
                    r.intervalMs, 1000.0 / r.intervalMs, r.app.rate, r.xdotool.rate, ratio, r.appCpu * 100,
                    r.xdotoolCpu * 100, r.idleCpu * 100, r.rssAfterStartKb / 1024.0, r.rssEndKb / 1024.0,
                    r.peakRssKb / 1024.0, escape);
    }
    std::printf("\n");
    for (const auto& r : rows) {
        std::printf("%6.1f ms  app gaps mean %.3f p50 %.3f p99 %.3f max %.3f ms", r.intervalMs, r.app.meanMs,
                    r.app.p50Ms, r.app.p99Ms, r.app.maxMs);
        if (peer) {
            std::printf("; xdotool mean %.3f p99 %.3f max %.3f ms", r.xdotool.meanMs, r.xdotool.p99Ms,
                        r.xdotool.maxMs);
        }
        std::printf("\n");
        std::vector<std::pair<double, std::string>> threads;
        for (const auto& [name, share] : r.threadCpu) threads.emplace_back(share, name);
        std::sort(threads.rbegin(), threads.rend());
        std::printf("           busiest threads during the run:");
        for (std::size_t i = 0; i < threads.size() && i < 4; ++i) {
            std::printf(" %s %.2f%%", threads[i].second.c_str(), threads[i].first * 100);
        }
        std::printf("\n");
    }
}

std::optional<Options> parse(int argc, char** argv) {
    Options o;
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
        } else if (a == "--no-peer") {
            o.peer = false;
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
                     "[--launches N] [--idle-seconds S] [--no-peer]\n");
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
    AppBench bench(*options, xvfb.display(), counter);
    if (!bench.open()) {
        std::fprintf(stderr, "app_click_rate: cannot set up a private session (temporary folder, dbus-daemon)\n");
        return 1;
    }
    std::printf("app_click_rate: %s on %s, mode %s, %.1f s per run, idle %.1f s\n", options->app.c_str(),
                xvfb.display().c_str(), options->mode == ClickPositionMode::fixed ? "fixed" : "current",
                options->runSeconds, options->idleSeconds);
    std::fflush(stdout);
    printStartUp(bench.measureStartUp(options->intervals.front()));
    std::fflush(stdout);

    std::vector<IntervalFigures> rows;
    for (const double interval : options->intervals) {
        if (auto figures = bench.measureInterval(interval)) rows.push_back(*figures);
    }
    printTable(rows, options->peer);
    return rows.size() == options->intervals.size() ? 0 : 1;
}
