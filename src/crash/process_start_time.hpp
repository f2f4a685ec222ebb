#pragma once

#include <chrono>
#include <optional>

namespace clicktrove::crash {

// When the calling process was started (its exec), from /proc/self/stat; to the kernel's clock tick (10 ms).
std::optional<std::chrono::system_clock::time_point> processStartTime();

}  // namespace clicktrove::crash
