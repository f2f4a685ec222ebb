#include "platform/xdg_paths.hpp"

#include <pwd.h>
#include <unistd.h>
#include <algorithm>
#include <cstdlib>
#include <string>

namespace clicktrove::platform::xdg {

namespace {
std::filesystem::path fromEnv(const char* name, const char* fallbackUnderHome) {
    const char* value = std::getenv(name);
    // The XDG rules say relative paths are invalid and must be ignored.
    if (value && *value && value[0] == '/') return value;
    return home() / fallbackUnderHome;
}
}  // namespace

std::filesystem::path home() {
    const char* value = std::getenv("HOME");
    if (value && *value) return value;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

std::filesystem::path configHome() {
    return fromEnv("XDG_CONFIG_HOME", ".config");
}
std::filesystem::path dataHome() {
    return fromEnv("XDG_DATA_HOME", ".local/share");
}
std::filesystem::path cacheHome() {
    return fromEnv("XDG_CACHE_HOME", ".cache");
}
std::filesystem::path stateHome() {
    return fromEnv("XDG_STATE_HOME", ".local/state");
}

std::vector<std::filesystem::path> dataDirs() {
    std::vector<std::filesystem::path> dirs;
    const char* value = std::getenv("XDG_DATA_DIRS");
    const std::string list = value && *value ? value : "/usr/local/share:/usr/share";
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        const std::string dir = list.substr(start, end - start);
        if (!dir.empty() && dir[0] == '/') dirs.emplace_back(dir);
        start = end + 1;
    }
    return dirs;
}

}  // namespace clicktrove::platform::xdg
