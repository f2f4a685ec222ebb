#pragma once

#include "support/child_process.hpp"
#include "support/scoped_env.hpp"

#include <filesystem>
#include <memory>
#include <string>

namespace clicktrove::testing {

// A private D-Bus bus that stands for the system bus: it takes connections from every user (system services
// such as polkitd drop to users of their own) and lets anyone own any name. While it runs,
// DBUS_SYSTEM_BUS_ADDRESS points at it. Its socket is abstract, so it leaves no file behind and services that
// change their root still reach it.
class SystemBus {
public:
    SystemBus() = default;
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;
    ~SystemBus() { stop(); }

    bool start();
    void stop();
    const std::string& address() const { return address_; }

private:
    ChildProcess process_;
    std::filesystem::path config_;
    std::string address_;
    std::unique_ptr<ScopedEnv> env_;
};

}  // namespace clicktrove::testing
