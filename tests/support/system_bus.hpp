#pragma once

#include "support/private_bus.hpp"

namespace clicktrove::testing {

// A private D-Bus bus that stands for the system bus: it takes connections from every user (system services
// such as polkitd drop to users of their own) and lets anyone own any name. While it runs,
// DBUS_SYSTEM_BUS_ADDRESS points at it. Its socket is abstract, so it leaves no file behind and services that
// change their root still reach it.
class SystemBus final : public PrivateBus {
public:
    SystemBus() : PrivateBus("DBUS_SYSTEM_BUS_ADDRESS") {}

    bool start();
};

}  // namespace clicktrove::testing
