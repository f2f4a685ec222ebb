#pragma once

#include <sys/types.h>
#include <systemd/sd-bus.h>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace clicktrove::testing {

// org.freedesktop.RealtimeKit1 on the bus $DBUS_SYSTEM_BUS_ADDRESS names, served from a thread of its own: the
// real service's properties and its two requests, with its checks on the caller (the thread must be one of the
// calling process, and real time needs that process's RLIMIT_RTTIME hard limit within the maximum). It changes
// no thread's scheduling; it records what it was asked and grants or refuses as told.
class RealtimeKitStandIn {
public:
    struct Options {
        std::int32_t maxRealtimePriority = 15;
        std::int32_t minNiceLevel = -12;
        std::int64_t rtTimeUSecMax = 150'000;
        bool grantsRealTime = true;
        bool grantsHighPriority = true;
    };

    struct Request {
        std::string method;
        std::uint64_t thread = 0;
        std::int64_t level = 0;
        pid_t caller = 0;
        // The caller's RLIMIT_RTTIME hard limit when it asked; nullopt for unlimited.
        std::optional<std::uint64_t> budget;
    };

    explicit RealtimeKitStandIn(Options options) : options_(options) {}
    RealtimeKitStandIn(const RealtimeKitStandIn&) = delete;
    RealtimeKitStandIn& operator=(const RealtimeKitStandIn&) = delete;
    ~RealtimeKitStandIn();

    // Owns the name once this returns true.
    bool start();
    std::vector<Request> requests();

private:
    static int onRealtime(sd_bus_message* message, void* self, sd_bus_error* error);
    static int onHighPriority(sd_bus_message* message, void* self, sd_bus_error* error);
    static int property(sd_bus* bus, const char* path, const char* interface, const char* name, sd_bus_message* reply,
                        void* self, sd_bus_error* error);
    int answer(sd_bus_message* message, bool realTime, sd_bus_error* error);

    const Options options_;
    sd_bus* bus_ = nullptr;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<Request> requests_;
};

}  // namespace clicktrove::testing
