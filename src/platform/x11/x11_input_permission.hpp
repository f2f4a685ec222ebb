#pragma once

#include "platform/input_permission.hpp"

namespace clicktrove::platform {

// Input may be posted when the X display named by $DISPLAY accepts a connection and offers the XTEST
// extension. Each check opens its own short-lived connection: it runs on a worker thread, and a server that
// went away since the last check must not take a long-lived connection (and the process) down with it.
class X11InputPermission final : public InputPermission {
public:
    bool inputMayBePosted() override;
};

}  // namespace clicktrove::platform
