#pragma once

#include "support/app/app_figures.hpp"
#include "support/key_presser.hpp"
#include "support/private_session.hpp"
#include "support/top_level_watcher.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace bench {

class LaunchedProgram;
struct RememberedRun;

// Runs the application binary as a user would, in a private session on the bench's display: launches it with a
// remembered run configuration, waits for its main window, starts the run with the global shortcut, counts
// what reaches the counter, stops with Escape, and measures CPU and memory from /proc.
class AppBench {
public:
    AppBench(const AppBenchOptions& options, const std::string& display, PressCounter& counter);

    // The session, the window watcher and the keyboard; false when one cannot be set up.
    bool open();

    // Exec to the main window mapped and to its first frame, one fresh launch at a time.
    std::vector<LaunchTimes> measureStartUp(double intervalMs);
    // A run at this interval (and xdotool's beside it), with `load` busy threads running meanwhile; nothing when
    // the application did not start or click. A loaded run skips the minutes after it (post-run and idle CPU),
    // which the quiet one measures.
    std::optional<IntervalFigures> measureInterval(double intervalMs, int load = 0);
    // Quits the program with SIGTERM while a hold run, then a drag, holds the left button, and reads the
    // server's buttons once it has gone.
    std::vector<QuitCheck> measureQuitsWhileHolding();

private:
    bool remember(double intervalMs);
    bool remember(const RememberedRun& run);
    // Pauses and resumes the run under way with the shortcuts; the run is clicking again when it returns.
    std::vector<double> measureResumes(double intervalMs);
    std::optional<LaunchTimes> launch(LaunchedProgram& app);
    std::optional<Clock::time_point> waitForFirstPress(Clock::time_point deadline);
    void runXdotool(double intervalMs, IntervalFigures& figures);
    void printLogTail() const;
    // The program's own line about its threads' priority, from its output.
    std::string prioritySaid() const;

    const AppBenchOptions& options_;
    std::string display_;
    PressCounter& counter_;
    PrivateSession session_;
    TopLevelWatcher watcher_;
    KeyPresser keys_;
    std::filesystem::path log_;
    // Where the latest launch's output begins in the log.
    std::uintmax_t logOffset_ = 0;
};

}  // namespace bench
