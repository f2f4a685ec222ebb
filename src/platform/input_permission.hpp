#pragma once

namespace clicktrove::platform {

// Whether this process may post synthetic input now. A check may block for as long as the window system takes
// to answer (a hung X server never does), so callers on the UI thread go through AsyncPermissionCheck.
// Safe to call from any thread.
class InputPermission {
public:
    virtual ~InputPermission() = default;
    virtual bool inputMayBePosted() = 0;
};

}  // namespace clicktrove::platform
