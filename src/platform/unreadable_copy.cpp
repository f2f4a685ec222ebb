#include "platform/unreadable_copy.hpp"

#include "platform/utc_time.hpp"

#include <system_error>

namespace clicktrove::platform {

std::string unreadableCopyName(const std::string& name, std::chrono::system_clock::time_point when) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(when.time_since_epoch()).count();
    char stamp[17];
    UtcTime::fromUnixSeconds(seconds).formatCompact(stamp);
    return name + ".unreadable-" + stamp;
}

std::filesystem::path unreadableCopyPath(const std::filesystem::path& path,
                                         std::chrono::system_clock::time_point when) {
    const std::string base = unreadableCopyName(path.string(), when);
    std::filesystem::path candidate = base;
    std::error_code ec;
    for (int n = 2; std::filesystem::exists(std::filesystem::symlink_status(candidate, ec)); ++n) {
        candidate = base + "-" + std::to_string(n);
    }
    return candidate;
}

}  // namespace clicktrove::platform
