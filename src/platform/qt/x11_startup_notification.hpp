#pragma once

#include <string>

namespace clicktrove::platform {

// Ends a launcher's startup feedback (the busy cursor, the "starting" taskbar entry) for the launch with that
// startup-notification identifier: a later launch that handed over to the running instance never shows a
// window of its own, so the instance says that the launch is complete. Does nothing without an identifier or
// where the application does not run on X11.
void completeStartupNotification(const std::string& startupId);

// The message that says so, as the startup-notification protocol spells it ("remove: ID=...", the value quoted
// where it has spaces, quotes or backslashes).
std::string startupRemoveMessage(const std::string& startupId);

}  // namespace clicktrove::platform
