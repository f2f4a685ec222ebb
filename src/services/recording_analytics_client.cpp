#include "services/recording_analytics_client.hpp"

namespace clicktrove {

std::vector<RecordingAnalyticsClient::Signal> RecordingAnalyticsClient::sentNamed(const std::string& name) const {
    std::vector<Signal> found;
    for (const auto& s : sent_) {
        if (s.name == name) found.push_back(s);
    }
    return found;
}

}  // namespace clicktrove
