// Measures the click rate that reaches an ordinary X client: the engine clicks with `left` at an interval into
// a full-screen window whose own connection counts the button presses and times them on arrival. xdotool's
// repeated click runs the same way right after it, for a side-by-side ratio. Then the emergency stop: Escape
// pressed during a 1 ms run, through the same key watcher and engine call the application uses, and what
// still reached the window after the key.
//
//   click_rate [--mode current|fixed] [--interval-ms N] [--seconds S] [--no-peer] [--escape-trials N]
//
// --mode current (the default, as in the application) clicks wherever the pointer is, which the bench puts
// in the middle of the window; fixed clicks at the middle as a fixed point. Without --interval-ms it measures
// 1 ms and 10 ms. It clicks on $DISPLAY when that is set (an outside counter may be watching), otherwise on
// a private Xvfb of its own.
#include "engine/click_config.hpp"
#include "engine/click_engine.hpp"
#include "platform/main_queue.hpp"
#include "platform/x11/x11_key_press_monitor.hpp"
#include "platform/x11/x11_mouse_input.hpp"
#include "support/child.hpp"
#include "support/key_presser.hpp"
#include "support/press_counter.hpp"
#include "support/press_stats.hpp"
#include "support/proc_sampler.hpp"
#include "support/xdotool_run.hpp"

#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Counts every C++ allocation of the process, so the run can show what a tick allocates.
namespace {
std::atomic<std::uint64_t> gAllocations{0};
}
void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace std::chrono_literals;
using bench::Clock;
using bench::PressCounter;
using Stats = bench::PressStats;
using clicktrove::ClickPositionMode;

namespace {

// The engine's reports are not needed here; dropping them costs nothing on the engine's side.
class DiscardingMainQueue final : public clicktrove::platform::MainQueue {
public:
    void post(Task) override {}
    TaskId postAfter(std::chrono::nanoseconds, Task) override { return 0; }
    void cancel(TaskId) override {}
};

// The engine as the application runs it: on the X11 pointer, with Escape watched on the key watcher's own
// thread, which stops the engine at the press, and handed out before every click.
struct KeyedEngine {
    clicktrove::platform::X11MouseInput input;
    DiscardingMainQueue mainQueue;
    // Before the engine, so that it outlives every tick that asks it for presses.
    clicktrove::platform::X11KeyPressMonitor keys{
        [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }};
    clicktrove::ClickEngine engine{input, mainQueue};
    std::optional<clicktrove::platform::KeyPressMonitor::Token> token;

    KeyedEngine() {
        token = keys.addMonitor([this](const clicktrove::platform::KeyPressEvent& press) {
            if (press.keyCode == 9 || press.producesEscape) engine.emergencyStop();
        });
        engine.setBeforeClick([this] { keys.deliverPending(); });
    }
    // The handler goes first: it calls the engine.
    ~KeyedEngine() {
        if (token) keys.removeMonitor(*token);
    }
};

void print(const char* who, double intervalMs, const Stats& s) {
    std::printf(
        "%-8s interval %6.2f ms  configured %7.1f/s  received %7.1f/s (%zu presses)  gap mean %.3f p50 %.3f "
        "p99 %.3f max %.3f ms\n",
        who, intervalMs, 1000.0 / intervalMs, s.rate, s.presses, s.meanMs, s.p50Ms, s.p99Ms, s.maxMs);
}

std::string engineThreadName() {
    const std::string label = clicktrove::ClickEngine::kQueueLabel;
    return label.size() > 15 ? label.substr(label.size() - 15) : label;
}

// CPU time of this process's engine queue thread, in seconds.
double engineThreadCpuSeconds() {
    const auto threads = bench::sampleProcess(::getpid()).threadCpuSeconds;
    const auto it = threads.find(engineThreadName());
    return it == threads.end() ? 0 : it->second;
}

Clock::duration seconds(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

// A default run but for the interval, the click type and the target: the corner stop stays on, as in a
// default run, so its reading of the pointer is part of every tick.
clicktrove::ClickConfig benchConfig(const PressCounter& counter, ClickPositionMode mode, double intervalMs) {
    clicktrove::ClickConfig config;
    config.intervalSeconds = 0;
    const auto micros = static_cast<std::int64_t>(intervalMs * 1000.0);
    config.intervalMilliseconds = micros / 1000;
    config.intervalMicroseconds = micros % 1000;
    config.clickType = clicktrove::ClickType::left;
    config.positionMode = mode;
    config.fixedCoordinates = {{counter.width() / 2.0, counter.height() / 2.0}};
    return config;
}

Stats runEngine(PressCounter& counter, ClickPositionMode mode, double intervalMs, double runSeconds, double& cpuShare,
                double& allocsPerTick) {
    KeyedEngine keyed;
    clicktrove::ClickEngine& engine = keyed.engine;
    counter.centrePointer();
    counter.reset();
    const double cpuBefore = engineThreadCpuSeconds();
    const auto started = Clock::now();
    engine.start(benchConfig(counter, mode, intervalMs));
    // Allocations counted while ticking only; the counter's growing vector adds a handful in all.
    std::this_thread::sleep_until(started + 500ms);
    const auto allocBefore = gAllocations.load();
    const auto pressesBefore = counter.presses().size();
    std::this_thread::sleep_until(started + 300ms + seconds(runSeconds) + 200ms);
    const auto pressesAfter = counter.presses().size();
    const auto allocAfter = gAllocations.load();
    engine.stop(false);
    const auto stopped = Clock::now();
    const double cpu = engineThreadCpuSeconds() - cpuBefore;
    cpuShare = cpu / std::chrono::duration<double>(stopped - started - 300ms).count();
    const auto ticks = pressesAfter - pressesBefore;
    allocsPerTick = ticks ? static_cast<double>(allocAfter - allocBefore) / static_cast<double>(ticks) : 0;
    std::this_thread::sleep_for(100ms);
    return bench::pressStats(counter.presses(), runSeconds);
}

// Escape during a 1 ms run, as the application handles it: the key watcher (on its own thread, or on the
// engine's just before a click) calls the engine's emergency stop at the press. Counted in the order the server handled
// things: presses after the key, and how long after the key the last button release came.
void runEscapeTrials(PressCounter& counter, ClickPositionMode mode, const std::string& display, int trials) {
    bench::KeyPresser keyboard;
    if (!keyboard.open(display)) return;
    KeyedEngine keyed;
    clicktrove::ClickEngine& engine = keyed.engine;
    if (!keyed.token) return;
    int worstPresses = 0, trialsWithPresses = 0, completed = 0;
    std::vector<double> lastRelease;
    for (int trial = 0; trial < trials; ++trial) {
        counter.centrePointer();
        engine.start(benchConfig(counter, mode, 1.0));
        // 300 ms before the first tick, then somewhere inside a tick's millisecond.
        std::this_thread::sleep_for(300ms + 200ms + std::chrono::microseconds(137 * trial % 1000));
        counter.reset();
        keyboard.press({"Escape"});
        std::this_thread::sleep_for(60ms);
        const bool stopped = !engine.isRunning();
        engine.stop(false);
        const auto aftermath = bench::escapeAftermath(counter.arrivals());
        if (!stopped || !aftermath.keySeen) continue;
        ++completed;
        worstPresses = std::max(worstPresses, aftermath.presses);
        trialsWithPresses += aftermath.presses > 0 ? 1 : 0;
        lastRelease.push_back(aftermath.lastReleaseMs);
    }
    if (lastRelease.empty()) {
        std::printf("escape   no trial saw its key arrive\n");
        return;
    }
    std::sort(lastRelease.begin(), lastRelease.end());
    std::printf(
        "escape   %d of %d trials stopped by the key: presses after the key in %d (at most %d); last release after "
        "the key p50 %.3f max %.3f ms (0: none after it)\n",
        completed, trials, trialsWithPresses, worstPresses, lastRelease[lastRelease.size() / 2], lastRelease.back());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<double> intervals;
    double runSeconds = 3;
    bool peer = true;
    int escapeTrials = 20;
    ClickPositionMode mode = ClickPositionMode::current;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--interval-ms" && i + 1 < argc) {
            intervals.push_back(std::atof(argv[++i]));
        } else if (a == "--seconds" && i + 1 < argc) {
            runSeconds = std::atof(argv[++i]);
        } else if (a == "--no-peer") {
            peer = false;
        } else if (a == "--escape-trials" && i + 1 < argc) {
            escapeTrials = std::atoi(argv[++i]);
        } else if (a == "--mode" && i + 1 < argc &&
                   (std::strcmp(argv[i + 1], "current") == 0 || std::strcmp(argv[i + 1], "fixed") == 0)) {
            mode = std::strcmp(argv[++i], "fixed") == 0 ? ClickPositionMode::fixed : ClickPositionMode::current;
        } else {
            std::fprintf(stderr,
                         "usage: click_rate [--mode current|fixed] [--interval-ms N] [--seconds S] [--no-peer] "
                         "[--escape-trials N]\n");
            return 2;
        }
    }
    if (intervals.empty()) intervals = {1, 10};
    for (double& v : intervals) v = std::max(v, 1.0);
    if (!(runSeconds > 0)) runSeconds = 3;

    bench::PrivateXvfb xvfb;
    const char* env = std::getenv("DISPLAY");
    std::string display = env && *env ? env : "";
    if (display.empty()) {
        if (!xvfb.start()) {
            std::fprintf(stderr, "click_rate: could not start Xvfb\n");
            return 1;
        }
        display = xvfb.display();
        ::setenv("DISPLAY", display.c_str(), 1);
    }
    PressCounter counter;
    if (!counter.open(display)) {
        std::fprintf(stderr, "click_rate: cannot open display %s\n", display.c_str());
        return 1;
    }
    std::printf("display %s, mode %s, %.1f s per run\n", display.c_str(),
                mode == ClickPositionMode::fixed ? "fixed" : "current", runSeconds);
    for (double interval : intervals) {
        double cpu = 0, allocs = 0;
        const Stats engine = runEngine(counter, mode, interval, runSeconds, cpu, allocs);
        print("engine", interval, engine);
        std::printf("         engine thread CPU %.2f %% of one core, %.2f allocations per tick\n", cpu * 100.0, allocs);
        if (peer) {
            const Stats xdotool = bench::runXdotool(counter, interval, runSeconds).presses;
            print("xdotool", interval, xdotool);
            if (xdotool.rate > 0) std::printf("         engine / xdotool %.2fx\n", engine.rate / xdotool.rate);
        }
    }
    if (escapeTrials > 0) runEscapeTrials(counter, mode, display, escapeTrials);
    return 0;
}
