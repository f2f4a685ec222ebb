#include "support/session_bus.hpp"

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace clicktrove::testing {

bool SessionBus::start() {
    stop();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    const bool started = process_.start(
        {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=" + std::to_string(fds[1])},
        fds[1]);
    ::close(fds[1]);
    std::string line;
    const bool ready = started && readLine(fds[0], line, 15000) && !line.empty();
    ::close(fds[0]);
    if (!ready) {
        process_.stop();
        return false;
    }
    address_ = line;
    const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    savedAddress_ = old ? std::optional<std::string>(old) : std::nullopt;
    changedEnv_ = true;
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    return true;
}

void SessionBus::stop() {
    process_.stop();
    if (changedEnv_) {
        if (savedAddress_) {
            ::setenv("DBUS_SESSION_BUS_ADDRESS", savedAddress_->c_str(), 1);
        } else {
            ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
        changedEnv_ = false;
    }
}

}  // namespace clicktrove::testing
