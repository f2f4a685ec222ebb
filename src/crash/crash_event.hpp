#pragma once

#include "crash/crash_report.hpp"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace clicktrove::crash {

// A crash report as the service's error event: a fatal, unhandled exception named after the signal (or after the
// exception that reached std::terminate) with the crashing thread's stack, oldest frame first, and the loaded
// modules as debug images so that the service can symbolise what the report could not.
class CrashEvent {
public:
    static nlohmann::json payload(const CrashReport& report, std::string_view eventId);

    // The debug identifier the service derives from a GNU build ID: its first 16 bytes as a UUID whose first
    // three fields are read little-endian. Empty when the build ID is missing or not hex.
    static std::string debugId(std::string_view buildIdHex);
};

}  // namespace clicktrove::crash
