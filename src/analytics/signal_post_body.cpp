#include "analytics/signal_post_body.hpp"

#include <cmath>
#include <ctime>
#include <sstream>

namespace clicktrove::analytics {

namespace {

// Seconds between 1970-01-01 and 2001-01-01, the reference date of the cache file's numbers.
constexpr double referenceDateOffset = 978307200.0;

double secondsSinceReferenceDate(std::chrono::system_clock::time_point time) {
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
    return static_cast<double>(us) / 1e6 - referenceDateOffset;
}

std::chrono::system_clock::time_point fromSecondsSinceReferenceDate(double seconds) {
    const double us = std::round((seconds + referenceDateOffset) * 1e6);
    return std::chrono::system_clock::time_point(std::chrono::duration_cast<std::chrono::system_clock::duration>(
        std::chrono::microseconds(static_cast<std::int64_t>(us))));
}

template <class Json>
Json commonFields(const SignalPostBody& body, Json receivedAt) {
    Json json;
    json["receivedAt"] = std::move(receivedAt);
    json["appID"] = body.appID;
    json["clientUser"] = body.clientUser;
    json["sessionID"] = body.sessionID;
    json["type"] = body.type;
    if (body.floatValue) json["floatValue"] = *body.floatValue;
    json["payload"] = Json::object();
    for (const auto& [k, v] : body.payload) json["payload"][k] = v;
    json["isTestMode"] = body.isTestMode;
    return json;
}

bool readString(const nlohmann::json& json, const char* key, std::string& out) {
    const auto it = json.find(key);
    if (it == json.end() || !it->is_string()) return false;
    out = it->get<std::string>();
    return true;
}

}  // namespace

std::string formatUploadDate(std::chrono::system_clock::time_point time) {
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(time));
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S+0000", &tm);
    return text;
}

nlohmann::ordered_json SignalPostBody::toUploadJson() const {
    return commonFields<nlohmann::ordered_json>(*this, formatUploadDate(receivedAt));
}

nlohmann::ordered_json SignalPostBody::toCacheJson() const {
    return commonFields<nlohmann::ordered_json>(*this, secondsSinceReferenceDate(receivedAt));
}

std::optional<SignalPostBody> SignalPostBody::fromCacheJson(const nlohmann::json& json) {
    if (!json.is_object()) return std::nullopt;
    SignalPostBody body;
    const auto at = json.find("receivedAt");
    // Dates the clock cannot hold (its nanoseconds in 64 bits reach about 292 years from 1970) would overflow.
    if (at == json.end() || !at->is_number() || !(std::fabs(at->get<double>()) < 8e9)) return std::nullopt;
    body.receivedAt = fromSecondsSinceReferenceDate(at->get<double>());
    if (!readString(json, "appID", body.appID) || !readString(json, "clientUser", body.clientUser) ||
        !readString(json, "sessionID", body.sessionID) || !readString(json, "type", body.type) ||
        !readString(json, "isTestMode", body.isTestMode)) {
        return std::nullopt;
    }
    if (const auto fv = json.find("floatValue"); fv != json.end() && !fv->is_null()) {
        if (!fv->is_number()) return std::nullopt;
        body.floatValue = fv->get<double>();
    }
    const auto payload = json.find("payload");
    if (payload == json.end() || !payload->is_object()) return std::nullopt;
    for (const auto& [k, v] : payload->items()) {
        if (!v.is_string()) return std::nullopt;
        body.payload[k] = v.get<std::string>();
    }
    return body;
}

std::string SignalPostBody::description() const {
    std::ostringstream s;
    s << "SignalPostBody(receivedAt: " << formatUploadDate(receivedAt) << ", appID: \"" << appID << "\", clientUser: \""
      << clientUser << "\", sessionID: \"" << sessionID << "\", type: \"" << type << "\", floatValue: ";
    if (floatValue) {
        s << *floatValue;
    } else {
        s << "nil";
    }
    s << ", payload: [";
    bool first = true;
    for (const auto& [k, v] : payload) {
        if (!first) s << ", ";
        first = false;
        s << '"' << k << "\": \"" << v << '"';
    }
    s << "], isTestMode: \"" << isTestMode << "\")";
    return s.str();
}

std::string encodeUploadBatch(const std::vector<SignalPostBody>& batch) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& body : batch) array.push_back(body.toUploadJson());
    // Replace, not throw, on invalid UTF-8 in a parameter: one bad text must not block the whole batch.
    return array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace clicktrove::analytics
