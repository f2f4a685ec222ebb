#include "crash/sentry_envelope.hpp"

#include "build_config.hpp"
#include "crash/hex_text.hpp"
#include "platform/secure_random.hpp"
#include "platform/utc_time.hpp"

namespace clicktrove::crash {

namespace {
constexpr char kSdkName[] = "clicktrove.crash";
}

void SentryEnvelope::addItem(const std::string& type, const nlohmann::json& payload) {
    items_.emplace_back(type, payload.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string SentryEnvelope::serialize() const {
    std::string out = headers_.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    out += '\n';
    for (const auto& [type, payload] : items_) {
        out += nlohmann::json{{"type", type}, {"length", payload.size()}}.dump();
        out += '\n';
        out += payload;
        out += '\n';
    }
    return out;
}

platform::HttpRequest SentryEnvelope::request(const SentryDsn& dsn) const {
    platform::HttpRequest request;
    request.url = dsn.envelopeUrl();
    request.headers = {{"Content-Type", "application/x-sentry-envelope"},
                       {"X-Sentry-Auth", dsn.authHeader(clientName())},
                       {"User-Agent", clientName()}};
    request.body = serialize();
    request.timeout = std::chrono::seconds(30);
    return request;
}

std::string SentryEnvelope::newId(std::size_t bytes) {
    std::vector<unsigned char> random(bytes);
    platform::SecureRandom::instance().fill(random.data(), random.size());
    if (bytes == 16) {
        random[6] = static_cast<unsigned char>((random[6] & 0x0f) | 0x40);  // version 4
        random[8] = static_cast<unsigned char>((random[8] & 0x3f) | 0x80);  // RFC 4122 variant
    }
    return hexBytes(random.data(), random.size());
}

std::string SentryEnvelope::timestamp(std::chrono::system_clock::time_point when) {
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    std::int64_t seconds = milliseconds / 1000;
    std::int64_t rest = milliseconds % 1000;
    if (rest < 0) {
        rest += 1000;
        --seconds;
    }
    char text[25];
    platform::UtcTime::fromUnixSeconds(seconds).formatIso(static_cast<int>(rest), text);
    return text;
}

nlohmann::json SentryEnvelope::sdk() {
    return {{"name", kSdkName}, {"version", CLICKTROVE_VERSION}};
}

std::string SentryEnvelope::clientName() {
    return std::string(kSdkName) + "/" + CLICKTROVE_VERSION;
}

}  // namespace clicktrove::crash
