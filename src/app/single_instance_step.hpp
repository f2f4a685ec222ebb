#pragma once

#include "platform/single_instance.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <ostream>

namespace clicktrove {

class ClicktroveApp;

// How long a later launch waits for the running instance to take it over.
inline constexpr std::chrono::milliseconds kHandoverTimeout{10000};

// The program's one instance per session: on the session bus under the application id and on a socket in
// $XDG_RUNTIME_DIR, so that a launch which does not reach the bus still finds the running instance. Reads the
// launch's startup-notification identifier, so call it before the application object takes that from the
// environment.
std::unique_ptr<platform::SingleInstance> makeSingleInstance();

// Claims the instance for this launch. Returns the status to exit with at once (0 when the running instance
// took the launch over, 1 when it did not answer), or nothing when this process goes on as the program. Says
// on messages why an unanswered launch ends and why a launch runs without the guard.
std::optional<int> claimSingleInstance(platform::SingleInstance& instance, std::ostream& messages);

// Each later launch brings the main window back, also from the tray or the taskbar's minimised state, and
// completes that launch's startup feedback.
void showMainWindowOnLaterLaunch(platform::SingleInstance& instance, ClicktroveApp& app);

}  // namespace clicktrove
