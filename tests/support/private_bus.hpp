#pragma once

#include "support/child_process.hpp"
#include "support/scoped_env.hpp"

#include <memory>
#include <string>
#include <vector>

namespace clicktrove::testing {

// A private dbus-daemon. While it runs, the environment variable the kind of bus is found by (its
// DBUS_<kind>_BUS_ADDRESS) points at it.
class PrivateBus {
public:
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;
    ~PrivateBus() { stop(); }

    void stop();
    const std::string& address() const { return address_; }

protected:
    explicit PrivateBus(std::string addressVariable) : addressVariable_(std::move(addressVariable)) {}
    // Starts the daemon with these arguments for its configuration (stopping one already running).
    bool start(const std::vector<std::string>& configuration);

private:
    const std::string addressVariable_;
    ChildProcess process_;
    std::string address_;
    std::unique_ptr<ScopedEnv> env_;
};

}  // namespace clicktrove::testing
