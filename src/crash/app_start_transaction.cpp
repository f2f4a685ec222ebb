#include "crash/app_start_transaction.hpp"

#include "crash/sentry_envelope.hpp"

#include <algorithm>
#include <sstream>

namespace clicktrove::crash {

namespace {

constexpr char kName[] = "App Start";

double secondsSinceEpoch(std::chrono::system_clock::time_point t) {
    return std::chrono::duration<double>(t.time_since_epoch()).count();
}

std::string sampleRateText(double rate) {
    std::ostringstream s;
    s << rate;
    return s.str();
}

}  // namespace

nlohmann::json AppStartTransaction::payload(const std::string& eventId) const {
    const auto finished = std::max(start, end);
    const double milliseconds = std::chrono::duration<double, std::milli>(finished - start).count();
    nlohmann::json transaction{
        {"type", "transaction"},
        {"event_id", eventId},
        {"platform", "native"},
        {"transaction", kName},
        {"transaction_info", {{"source", "custom"}}},
        {"start_timestamp", secondsSinceEpoch(start)},
        {"timestamp", secondsSinceEpoch(finished)},
        {"environment", "production"},
        {"sdk", SentryEnvelope::sdk()},
        {"contexts", contexts.json()},
        {"spans", nlohmann::json::array()},
        {"measurements", {{"app_start_cold", {{"value", milliseconds}, {"unit", "millisecond"}}}}}};
    transaction["contexts"]["trace"] = {{"trace_id", traceId},
                                        {"span_id", spanId},
                                        {"op", "app.start.cold"},
                                        {"description", "exec to window shown"},
                                        {"status", "ok"}};
    if (!release.empty()) transaction["release"] = release;
    if (!dist.empty()) transaction["dist"] = dist;
    return transaction;
}

nlohmann::json AppStartTransaction::traceHeader(const std::string& publicKey) const {
    nlohmann::json trace{{"trace_id", traceId},
                         {"public_key", publicKey},
                         {"environment", "production"},
                         {"transaction", kName},
                         {"sample_rate", sampleRateText(sampleRate)},
                         {"sampled", "true"}};
    if (!release.empty()) trace["release"] = release;
    return trace;
}

}  // namespace clicktrove::crash
