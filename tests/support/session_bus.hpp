#pragma once

#include "support/private_bus.hpp"

namespace clicktrove::testing {

// A private D-Bus session bus. While it runs, DBUS_SESSION_BUS_ADDRESS points at it.
class SessionBus final : public PrivateBus {
public:
    SessionBus() : PrivateBus("DBUS_SESSION_BUS_ADDRESS") {}

    bool start() { return PrivateBus::start({"--session"}); }
};

}  // namespace clicktrove::testing
