#include "support/private_bus.hpp"

namespace clicktrove::testing {

bool PrivateBus::start(const std::vector<std::string>& configuration) {
    stop();
    std::vector<std::string> argv{"dbus-daemon"};
    argv.insert(argv.end(), configuration.begin(), configuration.end());
    argv.insert(argv.end(), {"--nofork", "--nopidfile", "--print-address={fd}"});
    std::string line;
    if (!startWithReadyLine(process_, argv, line, 15000)) return false;
    address_ = line;
    env_ = std::make_unique<ScopedEnv>(addressVariable_, address_);
    return true;
}

void PrivateBus::stop() {
    process_.stop();
    env_.reset();
}

}  // namespace clicktrove::testing
