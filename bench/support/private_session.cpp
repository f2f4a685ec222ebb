#include "support/private_session.hpp"

#include "support/child.hpp"

#include <cstdlib>
#include <set>
#include <system_error>

extern char** environ;

namespace bench {

PrivateSession::~PrivateSession() {
    reap(bus_, true);
    if (!root_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
}

bool PrivateSession::start(const std::string& display) {
    display_ = display;
    std::string pattern = (std::filesystem::temp_directory_path() / "clicktrove-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return false;
    root_ = pattern;
    std::error_code error;
    for (const char* sub : {"home", "config", "data", "cache", "state", "runtime"}) {
        std::filesystem::create_directories(root_ / sub, error);
        if (error) return false;
    }
    std::filesystem::permissions(root_ / "runtime", std::filesystem::perms::owner_all, error);
    bus_ = spawnWithReadyLine({"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address={fd}"},
                              busAddress_, std::chrono::milliseconds(15000), "/dev/null");
    return bus_ > 0;
}

std::vector<std::string> PrivateSession::environment() const {
    const std::vector<std::pair<std::string, std::string>> own = {
        {"HOME", (root_ / "home").string()},
        {"XDG_CONFIG_HOME", (root_ / "config").string()},
        {"XDG_DATA_HOME", (root_ / "data").string()},
        {"XDG_CACHE_HOME", (root_ / "cache").string()},
        {"XDG_STATE_HOME", (root_ / "state").string()},
        {"XDG_RUNTIME_DIR", (root_ / "runtime").string()},
        {"DBUS_SESSION_BUS_ADDRESS", busAddress_},
        {"DISPLAY", display_},
        {"QT_QPA_PLATFORM", "xcb"},
    };
    const std::set<std::string> dropped = {"SESSION_MANAGER", "WAYLAND_DISPLAY", "DESKTOP_STARTUP_ID",
                                           "XDG_ACTIVATION_TOKEN", "XAUTHORITY"};
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = dropped.contains(name);
        for (const auto& [key, value] : own) replaced = replaced || key == name;
        if (!replaced) env.push_back(entry);
    }
    for (const auto& [key, value] : own) env.push_back(key + "=" + value);
    return env;
}

}  // namespace bench
