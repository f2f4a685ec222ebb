#include "platform/sd_bus_realtime_kit.hpp"

#include "build_config.hpp"

#if CLICKTROVE_HAVE_SD_BUS
#include <systemd/sd-bus.h>
#endif
#include <cstring>

namespace clicktrove::platform {

#if CLICKTROVE_HAVE_SD_BUS

namespace {

constexpr const char* kService = "org.freedesktop.RealtimeKit1";
constexpr const char* kPath = "/org/freedesktop/RealtimeKit1";
constexpr const char* kInterface = "org.freedesktop.RealtimeKit1";
// The first call may start the service (bus activation); a hung one must not hold a thread's start for long.
constexpr std::uint64_t kCallTimeoutUsec = 3'000'000;

// Errors that mean nothing is there to ask, as opposed to a service that said no: among them the connection's
// own failures, which sd-bus names System.Error.<errno> (a bus that dropped or never finished the connection).
bool meansAbsent(const sd_bus_error& error) {
    if (error.name != nullptr && std::strncmp(error.name, "System.Error.", 13) == 0) return true;
    return sd_bus_error_has_names(&error, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER,
                                  SD_BUS_ERROR_NO_REPLY, SD_BUS_ERROR_TIMEOUT, SD_BUS_ERROR_DISCONNECTED,
                                  SD_BUS_ERROR_NO_SERVER);
}

// Errors of a service too old to have the property asked for.
bool meansUnknownProperty(const sd_bus_error& error) {
    return sd_bus_error_has_names(&error, SD_BUS_ERROR_UNKNOWN_PROPERTY, SD_BUS_ERROR_UNKNOWN_INTERFACE,
                                  SD_BUS_ERROR_UNKNOWN_METHOD, SD_BUS_ERROR_INVALID_ARGS);
}

std::string describeError(const sd_bus_error& error, int result) {
    if (error.name == nullptr) return std::strerror(-result);
    std::string text = error.name;
    if (error.message != nullptr && *error.message != '\0') text += std::string(": ") + error.message;
    return text;
}

template <typename Call>
RealtimeKit::Answer answerOf(sd_bus* bus, const std::string& connectError, Call call) {
    if (bus == nullptr) return {RealtimeKit::Answer::Kind::unavailable, connectError};
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result = call(bus, &error);
    RealtimeKit::Answer answer;
    if (result >= 0) {
        answer.kind = RealtimeKit::Answer::Kind::granted;
    } else {
        answer.kind = meansAbsent(error) ? RealtimeKit::Answer::Kind::unavailable : RealtimeKit::Answer::Kind::refused;
        answer.reason = describeError(error, result);
    }
    sd_bus_error_free(&error);
    return answer;
}

}  // namespace

SdBusRealtimeKit::~SdBusRealtimeKit() {
    if (bus_ != nullptr) sd_bus_flush_close_unref(bus_);
}

sd_bus* SdBusRealtimeKit::bus() {
    if (connected_) return bus_;
    connected_ = true;
    const int result = sd_bus_open_system(&bus_);
    if (result < 0) {
        bus_ = nullptr;
        connectError_ = std::string("no system bus: ") + std::strerror(-result);
        return nullptr;
    }
    sd_bus_set_method_call_timeout(bus_, kCallTimeoutUsec);
    return bus_;
}

std::optional<RealtimeKit::Limits> SdBusRealtimeKit::limits() {
    sd_bus* b = bus();
    if (b == nullptr) return std::nullopt;
    // A property the service does not know (an old one) keeps its documented default; any other failure means
    // there is no service to go by, and nothing of the process is changed for it.
    auto read = [&](const char* name, char type, void* value) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int result = sd_bus_get_property_trivial(b, kService, kPath, kInterface, name, &error, type, value);
        const bool usable = result >= 0 || meansUnknownProperty(error);
        sd_bus_error_free(&error);
        return usable;
    };
    std::int32_t maxPriority = 20;
    std::int32_t minNice = -15;
    std::int64_t rtTime = 200'000;
    if (!read("MaxRealtimePriority", 'i', &maxPriority) || !read("MinNiceLevel", 'i', &minNice) ||
        !read("RTTimeUSecMax", 'x', &rtTime)) {
        return std::nullopt;
    }
    return Limits{maxPriority, minNice, rtTime};
}

RealtimeKit::Answer SdBusRealtimeKit::makeThreadRealtime(std::uint64_t threadId, std::uint32_t priority) {
    return answerOf(bus(), connectError_, [&](sd_bus* b, sd_bus_error* error) {
        return sd_bus_call_method(b, kService, kPath, kInterface, "MakeThreadRealtime", error, nullptr, "tu", threadId,
                                  priority);
    });
}

RealtimeKit::Answer SdBusRealtimeKit::makeThreadHighPriority(std::uint64_t threadId, std::int32_t nice) {
    return answerOf(bus(), connectError_, [&](sd_bus* b, sd_bus_error* error) {
        return sd_bus_call_method(b, kService, kPath, kInterface, "MakeThreadHighPriority", error, nullptr, "ti",
                                  threadId, nice);
    });
}

#else

// A build without libsystemd has no way to the service: every request finds it absent.
SdBusRealtimeKit::~SdBusRealtimeKit() = default;

sd_bus* SdBusRealtimeKit::bus() {
    return nullptr;
}

std::optional<RealtimeKit::Limits> SdBusRealtimeKit::limits() {
    return std::nullopt;
}

RealtimeKit::Answer SdBusRealtimeKit::makeThreadRealtime(std::uint64_t, std::uint32_t) {
    return {Answer::Kind::unavailable, "built without sd-bus"};
}

RealtimeKit::Answer SdBusRealtimeKit::makeThreadHighPriority(std::uint64_t, std::int32_t) {
    return {Answer::Kind::unavailable, "built without sd-bus"};
}

#endif

}  // namespace clicktrove::platform
