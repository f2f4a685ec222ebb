#include "support/app/figures_report.hpp"

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

namespace bench {

namespace {

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void printBusiestThreads(const char* when, const std::map<std::string, double>& shares) {
    std::vector<std::pair<double, std::string>> threads;
    for (const auto& [name, share] : shares) threads.emplace_back(share, name);
    std::sort(threads.rbegin(), threads.rend());
    std::printf("           busiest threads %s:", when);
    for (std::size_t i = 0; i < threads.size() && i < 4; ++i) {
        std::printf(" %s %.3f%%", threads[i].second.c_str(), threads[i].first * 100);
    }
    std::printf("\n");
}

// Nothing when there are no values.
void printSpread(const char* what, const std::string& after, const std::vector<double>& values) {
    if (values.empty()) return;
    const auto [least, most] = std::minmax_element(values.begin(), values.end());
    std::printf("%s median %.0f ms (min %.0f, max %.0f)%s\n", what, median(values), *least, *most, after.c_str());
}

}  // namespace

void printStartUp(const std::vector<LaunchTimes>& launches) {
    if (launches.empty()) {
        std::printf("start-up: no launch showed its window\n");
        return;
    }
    std::vector<double> mapped, framed, cpu;
    for (const auto& l : launches) {
        mapped.push_back(l.mappedMs);
        if (l.firstFrameMs > 0) framed.push_back(l.firstFrameMs);
        if (l.firstFrameCpuMs > 0) cpu.push_back(l.firstFrameCpuMs);
    }
    printSpread("start-up, exec to main window mapped:", " over " + std::to_string(mapped.size()) + " launches",
                mapped);
    printSpread("start-up, exec to its first frame:   ", "", framed);
    printSpread("start-up, CPU time to the first frame:", ", all threads", cpu);
}

void printIntervalTable(const std::vector<IntervalFigures>& rows, bool peer) {
    std::printf("\n%9s %5s %10s %10s %10s %8s %8s %8s %8s %8s %7s %7s %7s %s\n", "interval", "load", "configured",
                "app", "xdotool", "app/xdo", "app CPU", "xdo CPU", "post-run", "idle CPU", "RSS st", "RSS run", "VmHWM",
                "escape");
    for (const auto& r : rows) {
        char escape[96];
        if (!r.escape.keySeen) {
            std::snprintf(escape, sizeof escape, "key not seen");
        } else {
            std::snprintf(escape, sizeof escape, "%s, %d presses after, last release %.2f ms",
                          r.stoppedByEscape ? "stopped" : "NOT stopped", r.escape.presses, r.escape.lastReleaseMs);
        }
        const double ratio = peer && r.xdotool.rate > 0 ? r.app.rate / r.xdotool.rate : 0;
        // A loaded run measures no minutes after it.
        auto quietOnly = [&](double share) {
            char text[16];
            if (r.load > 0) return std::string("       -");
            std::snprintf(text, sizeof text, "%7.3f%%", share * 100);
            return std::string(text);
        };
        std::printf("%6.1f ms %5d %8.1f/s %8.1f/s %8.1f/s %7.3fx %7.2f%% %7.2f%% %s %s %5.1fMB %5.1fMB %5.1fMB %s\n",
                    r.intervalMs, r.load, 1000.0 / r.intervalMs, r.app.rate, r.xdotool.rate, ratio, r.appCpu * 100,
                    r.xdotoolCpu * 100, quietOnly(r.afterRunCpu).c_str(), quietOnly(r.idleCpu).c_str(),
                    r.rssAfterStartKb / 1024.0, r.rssEndKb / 1024.0, r.peakRssKb / 1024.0, escape);
    }
    std::printf("\n");
    for (const auto& r : rows) {
        std::printf("%6.1f ms, load %d: app gaps mean %.3f p50 %.3f p99 %.3f max %.3f ms", r.intervalMs, r.load,
                    r.app.meanMs, r.app.p50Ms, r.app.p99Ms, r.app.maxMs);
        if (peer) {
            std::printf("; xdotool mean %.3f p99 %.3f max %.3f ms", r.xdotool.meanMs, r.xdotool.p99Ms, r.xdotool.maxMs);
        }
        std::printf("\n");
        std::printf("           priority: engine %s, key watcher %s; the program said: %s\n",
                    r.engineScheduling.empty() ? "(no thread)" : r.engineScheduling.c_str(),
                    r.keysScheduling.empty() ? "(no thread)" : r.keysScheduling.c_str(), r.prioritySaid.c_str());
        printBusiestThreads("during the run", r.threadCpu);
        if (r.load == 0) printBusiestThreads("idle once settled", r.idleThreadCpu);
        printSpread("           first press after Ctrl+Shift+R:",
                    " over " + std::to_string(r.resumeToFirstPressMs.size()) + " resumes", r.resumeToFirstPressMs);
    }
}

void printQuitChecks(const std::vector<QuitCheck>& checks) {
    for (const auto& c : checks) {
        std::printf("quit (SIGTERM) during %s: left button %s before, %s, buttons down after: %s\n", c.run.c_str(),
                    c.heldBefore ? "down" : "NOT down", c.exited ? "exited" : "had to be killed",
                    c.downAfter == 0 ? "none" : "SOME");
    }
}

}  // namespace bench
