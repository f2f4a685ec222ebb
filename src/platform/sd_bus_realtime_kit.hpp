#pragma once

#include "platform/realtime_kit.hpp"

typedef struct sd_bus sd_bus;

namespace clicktrove::platform {

// RealtimeKit on the system bus ($DBUS_SYSTEM_BUS_ADDRESS when set), through sd-bus. The connection is made
// on first use and belongs to the thread that uses it: one object per thread that asks.
class SdBusRealtimeKit final : public RealtimeKit {
public:
    SdBusRealtimeKit() = default;
    SdBusRealtimeKit(const SdBusRealtimeKit&) = delete;
    SdBusRealtimeKit& operator=(const SdBusRealtimeKit&) = delete;
    ~SdBusRealtimeKit() override;

    std::optional<Limits> limits() override;
    Answer makeThreadRealtime(std::uint64_t threadId, std::uint32_t priority) override;
    Answer makeThreadHighPriority(std::uint64_t threadId, std::int32_t nice) override;

private:
    // Null when there is no system bus to reach; connectError_ then says why.
    sd_bus* bus();

    sd_bus* bus_ = nullptr;
    bool connected_ = false;
    std::string connectError_;
};

}  // namespace clicktrove::platform
