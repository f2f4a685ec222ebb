// Measures the click rate that reaches an ordinary X client: the engine clicks with `left` at a fixed
// interval into a full-screen window whose own connection counts the button presses and times them on
// arrival. xdotool's repeated click runs the same way beside it for comparison.
//
//   click_rate [--interval-ms N] [--seconds S] [--no-peer]
//
// Without --interval-ms it measures 1 ms and 10 ms. It clicks on $DISPLAY when that is set (an outside
// counter may be watching), otherwise on a private Xvfb of its own.
#include "engine/click_config.hpp"
#include "engine/click_engine.hpp"
#include "platform/main_queue.hpp"
#include "platform/x11/x11_mouse_input.hpp"

#include <X11/Xlib.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

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
using Clock = std::chrono::steady_clock;

namespace {

pid_t spawn(const std::vector<std::string>& argv, int keepFd = -1) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (keepFd >= 0) posix_spawn_file_actions_adddup2(&actions, keepFd, keepFd);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

void reap(pid_t pid, bool kill) {
    if (pid <= 0) return;
    if (kill) ::kill(pid, SIGTERM);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// A private Xvfb on a display number it picks itself.
struct PrivateXvfb {
    pid_t pid = -1;
    std::string display;

    bool start() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return false;
        pid = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
                     "-noreset", "+extension", "RANDR"},
                    fds[1]);
        ::close(fds[1]);
        std::string line;
        pollfd p{fds[0], POLLIN, 0};
        char c = 0;
        while (pid > 0 && ::poll(&p, 1, 15000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(fds[0]);
        if (line.empty()) return false;
        display = ":" + line;
        return true;
    }
    ~PrivateXvfb() { reap(pid, true); }
};

// A full-screen window on a connection of its own that time-stamps every button press as it arrives.
class PressCounter {
public:
    bool open(const std::string& display) {
        display_ = XOpenDisplay(display.c_str());
        if (!display_) return false;
        const int screen = DefaultScreen(display_);
        XSetWindowAttributes attrs{};
        attrs.override_redirect = True;
        attrs.event_mask = ButtonPressMask | ButtonReleaseMask;
        window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, DisplayWidth(display_, screen),
                                DisplayHeight(display_, screen), 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWOverrideRedirect | CWEventMask, &attrs);
        XMapRaised(display_, window_);
        XSync(display_, False);
        width_ = DisplayWidth(display_, screen);
        height_ = DisplayHeight(display_, screen);
        thread_ = std::thread([this] { run(); });
        return true;
    }
    ~PressCounter() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (display_) XCloseDisplay(display_);
    }
    int width() const { return width_; }
    int height() const { return height_; }

    void reset() {
        std::lock_guard lock(mutex_);
        presses_.clear();
    }
    std::vector<Clock::time_point> presses() {
        std::lock_guard lock(mutex_);
        return presses_;
    }

private:
    void run() {
        const int fd = ConnectionNumber(display_);
        while (!stop_) {
            while (XPending(display_) > 0) {
                XEvent e;
                XNextEvent(display_, &e);
                const auto now = Clock::now();
                if (e.type == ButtonPress && e.xbutton.button == Button1) {
                    std::lock_guard lock(mutex_);
                    presses_.push_back(now);
                }
            }
            pollfd p{fd, POLLIN, 0};
            ::poll(&p, 1, 50);
        }
    }

    Display* display_ = nullptr;
    Window window_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Clock::time_point> presses_;
};

// The engine's reports are not needed here; dropping them costs nothing on the engine's side.
class DiscardingMainQueue final : public clicktrove::platform::MainQueue {
public:
    void post(Task) override {}
    TaskId postAfter(std::chrono::nanoseconds, Task) override { return 0; }
    void cancel(TaskId) override {}
};

struct Stats {
    std::size_t presses = 0;
    double rate = 0;
    double meanMs = 0, p50Ms = 0, p99Ms = 0, maxMs = 0;
};

// Presses within `seconds` from the first one.
Stats measure(std::vector<Clock::time_point> presses, double seconds) {
    Stats s;
    if (presses.empty()) return s;
    const auto end =
        presses.front() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    presses.erase(std::find_if(presses.begin(), presses.end(), [&](auto t) { return t > end; }), presses.end());
    s.presses = presses.size();
    s.rate = static_cast<double>(presses.size()) / seconds;
    std::vector<double> gaps;
    for (std::size_t i = 1; i < presses.size(); ++i) {
        gaps.push_back(std::chrono::duration<double, std::milli>(presses[i] - presses[i - 1]).count());
    }
    if (gaps.empty()) return s;
    double sum = 0;
    for (double g : gaps) sum += g;
    s.meanMs = sum / static_cast<double>(gaps.size());
    std::sort(gaps.begin(), gaps.end());
    auto pct = [&](double q) { return gaps[std::min(gaps.size() - 1, static_cast<std::size_t>(q * gaps.size()))]; };
    s.p50Ms = pct(0.50);
    s.p99Ms = pct(0.99);
    s.maxMs = gaps.back();
    return s;
}

void print(const char* who, double intervalMs, const Stats& s) {
    std::printf(
        "%-8s interval %6.2f ms  configured %7.1f/s  received %7.1f/s (%zu presses)  gap mean %.3f p50 %.3f "
        "p99 %.3f max %.3f ms\n",
        who, intervalMs, 1000.0 / intervalMs, s.rate, s.presses, s.meanMs, s.p50Ms, s.p99Ms, s.maxMs);
}

// CPU time of this process's thread with the given name (the engine queue's), in seconds.
double threadCpuSeconds(const std::string& name) {
    double total = 0;
    DIR* dir = ::opendir("/proc/self/task");
    if (!dir) return 0;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const std::string base = std::string("/proc/self/task/") + entry->d_name;
        std::ifstream comm(base + "/comm");
        std::string threadName;
        std::getline(comm, threadName);
        if (threadName != name) continue;
        std::ifstream sched(base + "/schedstat");
        double ns = 0;
        sched >> ns;
        total += ns / 1e9;
    }
    ::closedir(dir);
    return total;
}

std::string engineThreadName() {
    const std::string label = clicktrove::ClickEngine::kQueueLabel;
    return label.size() > 15 ? label.substr(label.size() - 15) : label;
}

void waitUntil(Clock::time_point t) {
    std::this_thread::sleep_until(t);
}

Stats runEngine(PressCounter& counter, double intervalMs, double seconds, double& cpuShare, double& allocsPerTick) {
    clicktrove::platform::X11MouseInput input;
    DiscardingMainQueue mainQueue;
    clicktrove::ClickEngine engine(input, mainQueue);
    clicktrove::ClickConfig config;
    config.intervalSeconds = 0;
    const auto micros = static_cast<std::int64_t>(intervalMs * 1000.0);
    config.intervalMilliseconds = micros / 1000;
    config.intervalMicroseconds = micros % 1000;
    config.clickType = clicktrove::ClickType::left;
    config.positionMode = clicktrove::ClickPositionMode::fixed;
    config.fixedCoordinates = {{counter.width() / 2.0, counter.height() / 2.0}};
    // The corner test stays on, as in a default run: it costs the cursor read on every tick.
    counter.reset();
    const double cpuBefore = threadCpuSeconds(engineThreadName());
    const auto started = Clock::now();
    engine.start(config);
    // Allocations counted while ticking only; the counter's growing vector adds a handful in all.
    waitUntil(started + 500ms);
    const auto allocBefore = gAllocations.load();
    const auto pressesBefore = counter.presses().size();
    waitUntil(started + 300ms + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)) +
              200ms);
    const auto pressesAfter = counter.presses().size();
    const auto allocAfter = gAllocations.load();
    engine.stop(false);
    const auto stopped = Clock::now();
    const double cpu = threadCpuSeconds(engineThreadName()) - cpuBefore;
    cpuShare = cpu / std::chrono::duration<double>(stopped - started - 300ms).count();
    const auto ticks = pressesAfter - pressesBefore;
    allocsPerTick = ticks ? static_cast<double>(allocAfter - allocBefore) / static_cast<double>(ticks) : 0;
    std::this_thread::sleep_for(100ms);
    return measure(counter.presses(), seconds);
}

Stats runXdotool(PressCounter& counter, double intervalMs, double seconds) {
    counter.reset();
    const long repeat = static_cast<long>(seconds * 1000.0 / intervalMs) + 50;
    const pid_t pid = spawn({"xdotool", "click", "--repeat", std::to_string(repeat), "--delay",
                             std::to_string(static_cast<long>(intervalMs)), "1"});
    if (pid <= 0) return {};
    // xdotool's own end, or a generous cap for a slow machine.
    const auto cap =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds * 4 + 5));
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (Clock::now() > cap) {
            reap(pid, true);
            break;
        }
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(100ms);
    return measure(counter.presses(), seconds);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<double> intervals;
    double seconds = 3;
    bool peer = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--interval-ms" && i + 1 < argc) {
            intervals.push_back(std::atof(argv[++i]));
        } else if (a == "--seconds" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (a == "--no-peer") {
            peer = false;
        } else {
            std::fprintf(stderr, "usage: click_rate [--interval-ms N] [--seconds S] [--no-peer]\n");
            return 2;
        }
    }
    if (intervals.empty()) intervals = {1, 10};
    for (double& v : intervals) v = std::max(v, 1.0);
    if (!(seconds > 0)) seconds = 3;

    PrivateXvfb xvfb;
    const char* env = std::getenv("DISPLAY");
    std::string display = env && *env ? env : "";
    if (display.empty()) {
        if (!xvfb.start()) {
            std::fprintf(stderr, "click_rate: could not start Xvfb\n");
            return 1;
        }
        display = xvfb.display;
        ::setenv("DISPLAY", display.c_str(), 1);
    }
    PressCounter counter;
    if (!counter.open(display)) {
        std::fprintf(stderr, "click_rate: cannot open display %s\n", display.c_str());
        return 1;
    }
    std::printf("display %s, %.1f s per run\n", display.c_str(), seconds);
    for (double interval : intervals) {
        double cpu = 0, allocs = 0;
        const Stats engine = runEngine(counter, interval, seconds, cpu, allocs);
        print("engine", interval, engine);
        std::printf("         engine thread CPU %.2f %% of one core, %.2f allocations per tick\n", cpu * 100.0, allocs);
        if (peer) print("xdotool", interval, runXdotool(counter, interval, seconds));
    }
    return 0;
}
