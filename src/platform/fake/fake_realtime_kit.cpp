#include "platform/fake/fake_realtime_kit.hpp"

namespace clicktrove::platform {

namespace {

const RealtimeKit::Answer kAbsent{RealtimeKit::Answer::Kind::unavailable,
                                  "org.freedesktop.DBus.Error.ServiceUnknown: not activatable"};
const RealtimeKit::Answer kRefused{RealtimeKit::Answer::Kind::refused,
                                   "org.freedesktop.DBus.Error.AccessDenied: Operation not permitted"};

}  // namespace

std::optional<RealtimeKit::Limits> FakeRealtimeKit::limits() {
    if (whileAskedForLimits) whileAskedForLimits();
    if (!running) return std::nullopt;
    return offered;
}

RealtimeKit::Answer FakeRealtimeKit::makeThreadRealtime(std::uint64_t threadId, std::uint32_t priority) {
    if (!running) return kAbsent;
    requests.push_back({Request::Kind::realTime, threadId, static_cast<int>(priority)});
    const auto budget = process_.realTimeBudgetLimit().hard;
    const bool budgetSet = budget && *budget <= static_cast<std::uint64_t>(offered.rtTimeUSecMax);
    if (!grantsRealTime || !budgetSet || static_cast<int>(priority) > offered.maxRealtimePriority) return kRefused;
    return {RealtimeKit::Answer::Kind::granted, {}};
}

RealtimeKit::Answer FakeRealtimeKit::makeThreadHighPriority(std::uint64_t threadId, std::int32_t nice) {
    if (!running) return kAbsent;
    requests.push_back({Request::Kind::highPriority, threadId, nice});
    if (!grantsHighPriority || nice < offered.minNiceLevel) return kRefused;
    return {RealtimeKit::Answer::Kind::granted, {}};
}

}  // namespace clicktrove::platform
