#pragma once

#include <string>

namespace clicktrove {

// A short duration text: whole seconds as "1h 2m 5s", with zero parts left out and "0s" for nothing. The
// seconds are truncated; negative or non-finite input counts as 0.
std::string formatDuration(double seconds);

}  // namespace clicktrove
