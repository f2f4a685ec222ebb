#include "platform/unreadable_copy.hpp"

#include <ctime>
#include <system_error>

namespace clicktrove::platform {

namespace {
std::string utcStamp(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &tm);
    return buf;
}
}  // namespace

std::string unreadableCopyName(const std::string& name, std::chrono::system_clock::time_point when) {
    return name + ".unreadable-" + utcStamp(when);
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
