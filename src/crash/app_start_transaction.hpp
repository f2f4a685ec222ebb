#pragma once

#include "crash/event_contexts.hpp"

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>

namespace clicktrove::crash {

// The one performance trace the program sends: the start-up span, from the exec of the process to its window
// being shown, as a transaction of its own.
struct AppStartTransaction {
    std::chrono::system_clock::time_point start;
    std::chrono::system_clock::time_point end;
    std::string traceId;  // 32 hex digits
    std::string spanId;   // 16 hex digits
    std::string release;
    std::string dist;
    double sampleRate = 1.0;
    // The system and program it ran on; the trace context is added to these.
    EventContexts contexts;

    nlohmann::json payload(const std::string& eventId) const;
    // The trace's sampling context for the envelope headers.
    nlohmann::json traceHeader(const std::string& publicKey) const;
};

}  // namespace clicktrove::crash
