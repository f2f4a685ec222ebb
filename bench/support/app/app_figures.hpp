#pragma once

#include "engine/click_position_mode.hpp"
#include "support/press_stats.hpp"

#include <map>
#include <string>
#include <vector>

namespace bench {

// How the application bench runs.
struct AppBenchOptions {
    std::string app;
    std::vector<double> intervals;
    clicktrove::ClickPositionMode mode = clicktrove::ClickPositionMode::current;
    double runSeconds = 3;
    int launches = 5;
    double idleSeconds = 10;
    bool peer = true;
    // Pause and resume with the shortcuts this many times during each run.
    int resumeTrials = 5;
    bool quitChecks = true;
    // Busy threads beside the program (a game's stand-in); 0 measures quiet only.
    int load = 0;
    // Starts the program without any way to raise its threads: CAP_SYS_NICE dropped, RLIMIT_RTPRIO and
    // RLIMIT_NICE 0, no system bus (so no RealtimeKit), as a desktop user without them.
    bool noPriority = false;
};

// One launch, from the exec.
struct LaunchTimes {
    double mappedMs = 0;
    // 0 when no frame was seen.
    double firstFrameMs = 0;
    // The application's CPU time (all threads) up to its first frame: what it spent, whatever else ran.
    double firstFrameCpuMs = 0;
};

// One run at one interval, and xdotool's at the same interval.
struct IntervalFigures {
    double intervalMs = 0;
    // Busy threads beside the program and xdotool during the run.
    int load = 0;
    // What the program said about its threads' priority, and how its engine and key-watcher threads ran.
    std::string prioritySaid;
    std::string engineScheduling, keysScheduling;
    PressStats app, xdotool;
    // Shares of one core: the application during the run, in the seconds right after it (the chart still falling
    // back), idle with its window open once the chart lies flat, and xdotool.
    double appCpu = 0, afterRunCpu = 0, idleCpu = 0, xdotoolCpu = 0;
    // The same by thread name, during the run and idle.
    std::map<std::string, double> threadCpu, idleThreadCpu;
    long rssAfterStartKb = 0, rssEndKb = 0, peakRssKb = 0;
    EscapeAftermath escape;
    bool stoppedByEscape = false;
    // For each Ctrl+Shift+R after a Ctrl+Shift+P: milliseconds from the R to the first press that reached the
    // counter.
    std::vector<double> resumeToFirstPressMs;
};

// A quit (SIGTERM, as at a logout) while a run holds the left button down: a hold, or a drag under way.
struct QuitCheck {
    std::string run;
    bool heldBefore = false;
    // The X button masks still down once the program has gone.
    unsigned int downAfter = 0;
    bool exited = false;
};

}  // namespace bench
