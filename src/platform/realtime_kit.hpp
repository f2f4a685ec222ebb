#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace clicktrove::platform {

// RealtimeKit (org.freedesktop.RealtimeKit1 on the system bus), the service that desktop audio asks for a
// real-time thread: it grants a thread of an unprivileged process round-robin real time, or a raised nice value,
// within limits of its own. SdBusRealtimeKit talks to the real service; tests put a stand-in in its place.
class RealtimeKit {
public:
    // What the service hands out, from its properties.
    struct Limits {
        int maxRealtimePriority = 0;
        int minNiceLevel = 0;
        // The RLIMIT_RTTIME (hard limit, microseconds) a process must have set before it is granted real time.
        std::int64_t rtTimeUSecMax = 0;
    };

    struct Answer {
        enum class Kind { granted, refused, unavailable };
        Kind kind = Kind::unavailable;
        // The service's error, for the user; empty when granted.
        std::string reason;
    };

    virtual ~RealtimeKit() = default;

    // Nullopt when no service answers (no system bus, or nothing owns the name).
    virtual std::optional<Limits> limits() = 0;
    virtual Answer makeThreadRealtime(std::uint64_t threadId, std::uint32_t priority) = 0;
    virtual Answer makeThreadHighPriority(std::uint64_t threadId, std::int32_t nice) = 0;
};

}  // namespace clicktrove::platform
