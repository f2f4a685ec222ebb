#pragma once

#include <optional>
#include <string>

namespace clicktrove::platform {

// Why the X11 display `name` cannot be opened, in a few words ("Connection refused", "Authorization required,
// but no authorization protocol specified"); nothing when it can. Opens one connection and closes it again.
// What the X library would print on its own about a refused connection is caught and returned instead, so the
// caller decides what the user sees. Call before other threads exist: standard error is redirected meanwhile.
std::optional<std::string> x11DisplayOpenProblem(const std::string& name);

}  // namespace clicktrove::platform
