#include "support/app/app_bench.hpp"

#include "support/app/remembered_config.hpp"
#include "support/busy_load.hpp"
#include "support/launched_program.hpp"
#include "support/proc_sampler.hpp"
#include "support/thread_scheduling.hpp"
#include "support/xdotool_run.hpp"

#include <X11/X.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace bench {

namespace {

using namespace std::chrono_literals;
using clicktrove::ClickPositionMode;
using clicktrove::ClickType;

// The class part of the main window's WM_CLASS.
constexpr const char* kWmClass = "Clicktrove";
// The live chart's thirty one-second samples.
constexpr auto kChartSpan = 30s;
// Thread names as the program sets them: the engine's queue (the end of its label) and the key watcher.
constexpr const char* kEngineThread = "oclicker.engine";
constexpr const char* kKeysThread = "clicktrove-keys";
// What the program says, once, about its threads' priority.
constexpr const char* kPriorityLine = "Clicktrove: the click and shortcut threads run at";

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

Clock::duration seconds(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

}  // namespace

AppBench::AppBench(const AppBenchOptions& options, const std::string& display, PressCounter& counter)
    : options_(options), display_(display), counter_(counter) {}

bool AppBench::open() {
    if (!session_.start(display_) || !watcher_.open(display_) || !keys_.open(display_)) return false;
    log_ = session_.root() / "app.log";
    return true;
}

std::vector<LaunchTimes> AppBench::measureStartUp(double intervalMs) {
    std::vector<LaunchTimes> launches;
    if (!remember(intervalMs)) return launches;
    for (int i = 0; i < options_.launches; ++i) {
        LaunchedProgram app;
        if (const auto times = launch(app)) launches.push_back(*times);
        app.stop();
    }
    return launches;
}

std::optional<IntervalFigures> AppBench::measureInterval(double intervalMs, int load) {
    IntervalFigures f;
    f.intervalMs = intervalMs;
    f.load = load;
    if (!remember(intervalMs)) return std::nullopt;
    LaunchedProgram app;
    if (!launch(app)) return std::nullopt;
    // The work put off until after the first frame, and the first turns of the window's timers.
    std::this_thread::sleep_for(1500ms);
    f.rssAfterStartKb = sampleProcess(app.pid()).rssKb;
    f.prioritySaid = prioritySaid();
    const auto scheduling = threadScheduling(app.pid());
    if (const auto it = scheduling.find(kEngineThread); it != scheduling.end())
        f.engineScheduling = describe(it->second);
    if (const auto it = scheduling.find(kKeysThread); it != scheduling.end()) f.keysScheduling = describe(it->second);
    // From before the start: the countdown and the run's first ticks meet the load too.
    BusyLoad busy;
    busy.start(load);

    counter_.raise();
    counter_.centrePointer();
    counter_.reset();
    if (!keys_.press({"Control_L", "Shift_L", "s"})) return std::nullopt;
    const auto firstPress = waitForFirstPress(Clock::now() + 6s);
    if (!firstPress) {
        std::fprintf(stderr, "app_click_rate: no click reached the counter after Ctrl+Shift+S\n");
        printLogTail();
        return std::nullopt;
    }
    std::this_thread::sleep_until(*firstPress + 300ms);
    const auto runStart = sampleProcess(app.pid());
    std::this_thread::sleep_until(*firstPress + 300ms + seconds(options_.runSeconds));
    const auto runEnd = sampleProcess(app.pid());
    f.app = pressStats(counter_.presses(), options_.runSeconds);
    f.appCpu = cpuShare(runStart, runEnd);
    f.threadCpu = threadCpuShares(runStart, runEnd);
    f.rssEndKb = runEnd.rssKb;
    f.resumeToFirstPressMs = measureResumes(intervalMs);

    counter_.reset();
    keys_.press({"Escape"});
    std::this_thread::sleep_for(400ms);
    f.escape = escapeAftermath(counter_.arrivals());
    // Stopped for good: nothing more arrives in the next while.
    counter_.reset();
    std::this_thread::sleep_for(300ms);
    f.stoppedByEscape = f.escape.keySeen && counter_.presses().empty();
    if (load > 0) {
        f.peakRssKb = sampleProcess(app.pid()).peakRssKb;
        app.stop();
        if (options_.peer) runXdotool(intervalMs, f);
        return f;
    }

    // The window in sight again, and the run's end behind it. The chart falls back one sample a second for its
    // thirty seconds after a run, so the first seconds after the stop are not yet idle: they are measured on their
    // own, and the idle figure is taken once the chart lies flat and the window has nothing left to do.
    counter_.lower();
    const auto stoppedAt = Clock::now();
    std::this_thread::sleep_for(2s);
    const auto afterStart = sampleProcess(app.pid());
    std::this_thread::sleep_for(8s);
    const auto afterEnd = sampleProcess(app.pid());
    f.afterRunCpu = cpuShare(afterStart, afterEnd);
    std::this_thread::sleep_until(stoppedAt + kChartSpan + 2s);
    const auto idleStart = sampleProcess(app.pid());
    std::this_thread::sleep_for(seconds(options_.idleSeconds));
    const auto idleEnd = sampleProcess(app.pid());
    f.idleCpu = cpuShare(idleStart, idleEnd);
    f.idleThreadCpu = threadCpuShares(idleStart, idleEnd);
    f.peakRssKb = idleEnd.peakRssKb;
    app.stop();

    if (options_.peer) runXdotool(intervalMs, f);
    return f;
}

std::vector<double> AppBench::measureResumes(double intervalMs) {
    std::vector<double> delays;
    const unsigned int r = keys_.keycodeOf("r");
    const auto wait =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(intervalMs));
    for (int i = 0; i < options_.resumeTrials; ++i) {
        keys_.press({"Control_L", "Shift_L", "p"});
        // Paused for certain: the shortcut's own trip to the program, and a tick that was under way.
        std::this_thread::sleep_for(300ms + wait);
        counter_.reset();
        keys_.press({"Control_L", "Shift_L", "r"});
        if (!waitForFirstPress(Clock::now() + 3s + 2 * wait)) {
            std::fprintf(stderr, "app_click_rate: no click after Ctrl+Shift+R\n");
            break;
        }
        if (const auto ms = firstPressAfterKeyMs(counter_.arrivals(), r)) delays.push_back(*ms);
    }
    return delays;
}

std::vector<QuitCheck> AppBench::measureQuitsWhileHolding() {
    std::vector<QuitCheck> checks;
    for (const bool drag : {false, true}) {
        QuitCheck check;
        check.run = drag ? "a drag under way" : "Hold Left Button";
        RememberedRun run{100, ClickPositionMode::current, counter_.width() / 2.0, counter_.height() / 2.0};
        run.clickType = ClickType::holdLeft;
        run.drag = drag;
        LaunchedProgram app;
        if (!remember(run) || !launch(app)) return checks;
        std::this_thread::sleep_for(1500ms);
        counter_.raise();
        counter_.centrePointer();
        keys_.press({"Control_L", "Shift_L", "s"});
        const auto deadline = Clock::now() + 6s;
        while (Clock::now() < deadline && !(counter_.buttonsDown() & Button1Mask)) std::this_thread::sleep_for(5ms);
        check.heldBefore = (counter_.buttonsDown() & Button1Mask) != 0;
        check.exited = app.stop();
        check.downAfter = counter_.buttonsDown();
        counter_.lower();
        checks.push_back(check);
    }
    return checks;
}

bool AppBench::remember(double intervalMs) {
    return remember(RememberedRun{intervalMs, options_.mode, counter_.width() / 2.0, counter_.height() / 2.0});
}

bool AppBench::remember(const RememberedRun& run) {
    if (writeRememberedRun(session_.configHome(), run)) return true;
    std::fprintf(stderr, "app_click_rate: cannot write the settings under %s\n", session_.configHome().c_str());
    return false;
}

std::optional<LaunchTimes> AppBench::launch(LaunchedProgram& app) {
    counter_.lower();
    std::vector<std::string> argv;
    auto environment = session_.environment();
    if (options_.noPriority) {
        // Only a process that may change capabilities can drop one from the bounding set; one that may not has
        // no CAP_SYS_NICE to drop anyway.
        if (::geteuid() == 0) argv = {"setpriv", "--bounding-set=-sys_nice", "--inh-caps=-sys_nice", "--"};
        argv.insert(argv.end(), {"prlimit", "--rtprio=0", "--nice=0", "--"});
        environment.push_back("DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/clicktrove-bench-no-system-bus");
    }
    argv.push_back(options_.app);
    std::error_code ignored;
    logOffset_ = std::filesystem::exists(log_) ? std::filesystem::file_size(log_, ignored) : 0;
    if (!app.start(argv, environment, log_.string())) {
        std::fprintf(stderr, "app_click_rate: cannot start %s\n", options_.app.c_str());
        return std::nullopt;
    }
    const auto mapped = watcher_.waitForMap(kWmClass, app.startedAt() + 20s);
    if (!mapped) {
        std::fprintf(stderr, "app_click_rate: no main window within 20 s\n");
        printLogTail();
        return std::nullopt;
    }
    const auto framed = watcher_.waitForFirstFrame(mapped->window, mapped->at + 10s);
    const double cpuMs = cpuSecondsSoFar(sampleProcess(app.pid())) * 1000.0;
    return LaunchTimes{ms(mapped->at - app.startedAt()), framed ? ms(*framed - app.startedAt()) : 0.0,
                       framed ? cpuMs : 0.0};
}

std::optional<Clock::time_point> AppBench::waitForFirstPress(Clock::time_point deadline) {
    while (Clock::now() < deadline) {
        const auto presses = counter_.presses();
        if (!presses.empty()) return presses.front();
        std::this_thread::sleep_for(5ms);
    }
    return std::nullopt;
}

void AppBench::runXdotool(double intervalMs, IntervalFigures& f) {
    counter_.raise();
    const auto run = bench::runXdotool(counter_, intervalMs, options_.runSeconds);
    f.xdotool = run.presses;
    f.xdotoolCpu = run.cpuShare;
    counter_.lower();
}

std::string AppBench::prioritySaid() const {
    std::ifstream in(log_);
    in.seekg(static_cast<std::streamoff>(logOffset_));
    std::string said;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(kPriorityLine, 0) != 0) continue;
        if (!said.empty()) said += " / ";
        said += line.substr(std::string(kPriorityLine).size() + 1);
    }
    return said.empty() ? "(nothing said)" : said;
}

void AppBench::printLogTail() const {
    std::ifstream in(log_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    const std::size_t from = lines.size() > 20 ? lines.size() - 20 : 0;
    for (std::size_t i = from; i < lines.size(); ++i) std::fprintf(stderr, "  | %s\n", lines[i].c_str());
}

}  // namespace bench
