#include "analytics/stored_session.hpp"

#include "platform/bounded_json.hpp"

#include <cmath>
#include <nlohmann/json.hpp>

namespace clicktrove::analytics {

std::string StoredSession::encodeList(const std::vector<StoredSession>& sessions) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& s : sessions) {
        // Whole seconds, cut toward zero.
        const auto st = std::chrono::duration_cast<std::chrono::seconds>(s.startedAt.time_since_epoch()).count();
        array.push_back({{"st", st}, {"dn", s.durationInSeconds}});
    }
    return array.dump();
}

std::optional<std::vector<StoredSession>> StoredSession::decodeList(const std::string& text) {
    const auto json = platform::parseBoundedJson(text);
    if (!json || !json->is_array()) return std::nullopt;
    std::vector<StoredSession> sessions;
    for (const auto& element : *json) {
        if (!element.is_object()) return std::nullopt;
        const auto st = element.find("st");
        const auto dn = element.find("dn");
        if (st == element.end() || !st->is_number() || dn == element.end() || !dn->is_number_integer()) {
            return std::nullopt;
        }
        const double seconds = st->get<double>();
        // The clock counts nanoseconds in 64 bits: anything beyond about 292 years from 1970 cannot be a start
        // time and would overflow the conversion below.
        if (!std::isfinite(seconds) || std::fabs(seconds) > 9e9) return std::nullopt;
        // Whole seconds and the fraction are converted apart: a double holds only 53 bits, so converting the
        // full count of nanoseconds at once can land below a whole second this file itself wrote, and the next
        // save would then store one second less.
        const double whole = std::floor(seconds);
        const auto wholeSeconds = std::chrono::seconds(static_cast<std::int64_t>(whole));
        const auto fraction = std::chrono::nanoseconds(std::llround((seconds - whole) * 1e9));
        StoredSession s;
        s.startedAt = std::chrono::system_clock::time_point(
            std::chrono::duration_cast<std::chrono::system_clock::duration>(wholeSeconds + fraction));
        s.durationInSeconds = dn->get<std::int64_t>();
        sessions.push_back(s);
    }
    return sessions;
}

}  // namespace clicktrove::analytics
