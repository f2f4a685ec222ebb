#include "crash/process_start_time.hpp"

#include "platform/file_read.hpp"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <string>

namespace clicktrove::crash {

std::optional<std::chrono::system_clock::time_point> processStartTime() {
    const platform::FileRead read = platform::readRegularFile("/proc/self/stat", 64 * 1024);
    if (!read.ok()) return std::nullopt;
    const std::string& stat = read.contents;
    // The command name in parentheses may hold spaces and parentheses of its own; the fields after it don't.
    const auto nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(nameEnd + 1));
    // The fields after the name start with the third ("state"); the start time is the 22nd.
    std::string field;
    for (int i = 3; i < 22; ++i) fields >> field;
    unsigned long long ticks = 0;
    if (!(fields >> ticks)) return std::nullopt;
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    timespec sinceBoot{};
    if (ticksPerSecond <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot) != 0) return std::nullopt;

    const auto now = std::chrono::system_clock::now();
    const auto started = std::chrono::duration<double>(static_cast<double>(ticks) / ticksPerSecond);
    const auto uptime = std::chrono::seconds(sinceBoot.tv_sec) + std::chrono::nanoseconds(sinceBoot.tv_nsec);
    const auto age = std::chrono::duration_cast<std::chrono::system_clock::duration>(uptime - started);
    return now - std::max(age, std::chrono::system_clock::duration::zero());
}

}  // namespace clicktrove::crash
