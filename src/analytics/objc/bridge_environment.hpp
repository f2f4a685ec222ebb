#pragma once

#include "analytics/telemetry_environment.hpp"

#include <optional>

namespace clicktrove::analytics::objc {

// What the bridge initialises the client with. A process that has only the bridge gives the client no main
// loop of the application's: the client's main queue is then a thread of its own (the host may never run a
// run loop, and its signals would wait for ever), the defaults suites live in the program's user-defaults
// folder, and the version reported is the host bundle's ("0" when it has none). Made once, on first use.
TelemetryEnvironment bridgeEnvironment();
// Tests run the bridge on fakes; nothing restores the production environment.
void setBridgeEnvironment(std::optional<TelemetryEnvironment> environment);

// Saves what is not yet sent when the process exits (a host of the bridge announces no termination), on the
// client's main queue, waiting for it a bounded time. Registered once, by the first initialisation.
void saveAtProcessExit();

}  // namespace clicktrove::analytics::objc
