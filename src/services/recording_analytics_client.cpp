#include "services/recording_analytics_client.hpp"

namespace clicktrove {

std::vector<RecordingAnalyticsClient::Signal> RecordingAnalyticsClient::signalsNamed(const std::string& name) const {
    std::vector<Signal> found;
    for (const auto& s : signals_) {
        if (s.name == name) found.push_back(s);
    }
    return found;
}

}  // namespace clicktrove
