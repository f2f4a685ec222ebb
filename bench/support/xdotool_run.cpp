#include "support/xdotool_run.hpp"

#include "support/child.hpp"

#include <string>
#include <thread>

namespace bench {

XdotoolRun runXdotool(PressCounter& counter, double intervalMs, double seconds) {
    XdotoolRun run;
    counter.centrePointer();
    counter.reset();
    const long repeat = static_cast<long>(seconds * 1000.0 / intervalMs) + 50;
    const auto started = Clock::now();
    const pid_t pid = spawn({"xdotool", "click", "--repeat", std::to_string(repeat), "--delay",
                             std::to_string(static_cast<long>(intervalMs)), "1"});
    if (pid <= 0) return run;
    const auto cap = std::chrono::milliseconds(static_cast<long>((seconds * 4 + 5) * 1000.0));
    const double cpu = waitForCpuSeconds(pid, cap);
    const double wall = std::chrono::duration<double>(Clock::now() - started).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    run.presses = pressStats(counter.presses(), seconds);
    run.cpuShare = wall > 0 ? cpu / wall : 0;
    return run;
}

}  // namespace bench
