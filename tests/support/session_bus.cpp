#include "support/session_bus.hpp"

namespace clicktrove::testing {

bool SessionBus::start() {
    stop();
    std::string line;
    if (!startWithReadyLine(process_, {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address={fd}"},
                            line, 15000)) {
        return false;
    }
    address_ = line;
    env_ = std::make_unique<ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", address_);
    return true;
}

void SessionBus::stop() {
    process_.stop();
    env_.reset();
}

}  // namespace clicktrove::testing
