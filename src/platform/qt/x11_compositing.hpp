#pragma once

namespace clicktrove::platform {

// Whether a compositing manager runs on the X11 display (it owns the _NET_WM_CM_S0 selection), so that windows
// with an alpha channel blend with what lies beneath them. False where the application does not run on X11.
bool isCompositingActive();

}  // namespace clicktrove::platform
