#include "realtime_kit_stand_in.hpp"

#include <systemd/sd-bus.h>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace clicktrove::testing {

namespace {

constexpr const char* kName = "org.freedesktop.RealtimeKit1";
constexpr const char* kPath = "/org/freedesktop/RealtimeKit1";

// The hard "Max realtime timeout" of /proc/<pid>/limits, as the real service reads it.
std::optional<std::uint64_t> hardBudgetOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/limits");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("Max realtime timeout", 0) != 0) continue;
        std::istringstream fields(line.substr(20));
        std::string soft, hard;
        fields >> soft >> hard;
        if (hard == "unlimited") return std::nullopt;
        return std::stoull(hard);
    }
    return std::nullopt;
}

}  // namespace

RealtimeKitStandIn::~RealtimeKitStandIn() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (bus_ != nullptr) sd_bus_flush_close_unref(bus_);
}

bool RealtimeKitStandIn::start() {
    static const sd_bus_vtable kVtable[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_PROPERTY("MaxRealtimePriority", "i", property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("MinNiceLevel", "i", property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_PROPERTY("RTTimeUSecMax", "x", property, 0, SD_BUS_VTABLE_PROPERTY_CONST),
        SD_BUS_METHOD("MakeThreadRealtime", "tu", "", onRealtime, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("MakeThreadHighPriority", "ti", "", onHighPriority, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    };
    if (sd_bus_open_system(&bus_) < 0) return false;
    if (sd_bus_add_object_vtable(bus_, nullptr, kPath, kName, kVtable, this) < 0) return false;
    if (sd_bus_request_name(bus_, kName, 0) < 0) return false;
    thread_ = std::thread([this] {
        while (!stop_) {
            if (sd_bus_process(bus_, nullptr) > 0) continue;
            sd_bus_wait(bus_, 20'000);
        }
    });
    return true;
}

std::vector<RealtimeKitStandIn::Request> RealtimeKitStandIn::requests() {
    std::lock_guard lock(mutex_);
    return requests_;
}

int RealtimeKitStandIn::property(sd_bus*, const char*, const char*, const char* name, sd_bus_message* reply, void* self,
                                 sd_bus_error*) {
    const Options& o = static_cast<RealtimeKitStandIn*>(self)->options_;
    if (std::strcmp(name, "RTTimeUSecMax") == 0) return sd_bus_message_append(reply, "x", o.rtTimeUSecMax);
    return sd_bus_message_append(reply, "i",
                                 std::strcmp(name, "MinNiceLevel") == 0 ? o.minNiceLevel : o.maxRealtimePriority);
}

int RealtimeKitStandIn::onRealtime(sd_bus_message* message, void* self, sd_bus_error* error) {
    return static_cast<RealtimeKitStandIn*>(self)->answer(message, true, error);
}

int RealtimeKitStandIn::onHighPriority(sd_bus_message* message, void* self, sd_bus_error* error) {
    return static_cast<RealtimeKitStandIn*>(self)->answer(message, false, error);
}

int RealtimeKitStandIn::answer(sd_bus_message* message, bool realTime, sd_bus_error* error) {
    Request request;
    request.method = realTime ? "MakeThreadRealtime" : "MakeThreadHighPriority";
    int result = 0;
    if (realTime) {
        std::uint32_t priority = 0;
        result = sd_bus_message_read(message, "tu", &request.thread, &priority);
        request.level = priority;
    } else {
        std::int32_t nice = 0;
        result = sd_bus_message_read(message, "ti", &request.thread, &nice);
        request.level = nice;
    }
    if (result < 0) return result;
    sd_bus_creds* creds = nullptr;
    if (sd_bus_query_sender_creds(message, SD_BUS_CREDS_PID, &creds) >= 0) sd_bus_creds_get_pid(creds, &request.caller);
    sd_bus_creds_unref(creds);
    request.budget = hardBudgetOf(request.caller);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }

    const bool ownThread =
        std::filesystem::exists("/proc/" + std::to_string(request.caller) + "/task/" + std::to_string(request.thread));
    bool granted = ownThread;
    if (realTime) {
        const bool budgetSet = request.budget && *request.budget <= static_cast<std::uint64_t>(options_.rtTimeUSecMax);
        granted = granted && options_.grantsRealTime && budgetSet && request.level >= 1 &&
                  request.level <= options_.maxRealtimePriority;
    } else {
        granted = granted && options_.grantsHighPriority && request.level >= options_.minNiceLevel;
    }
    if (!granted) return sd_bus_error_set(error, SD_BUS_ERROR_ACCESS_DENIED, "Operation not permitted");
    return sd_bus_reply_method_return(message, "");
}

}  // namespace clicktrove::testing
