#pragma once

#include "support/child_process.hpp"
#include "support/scoped_env.hpp"

#include <memory>

#include <optional>
#include <string>

namespace clicktrove::testing {

// A private D-Bus session bus. While it runs, DBUS_SESSION_BUS_ADDRESS points at it.
class SessionBus {
public:
    SessionBus() = default;
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;
    ~SessionBus() { stop(); }

    bool start();
    void stop();
    const std::string& address() const { return address_; }

private:
    ChildProcess process_;
    std::string address_;
    std::unique_ptr<ScopedEnv> env_;
};

}  // namespace clicktrove::testing
