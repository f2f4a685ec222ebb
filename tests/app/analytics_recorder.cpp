// No Qt header may come before this one (see the class comment).
#include "services/recording_analytics_client.hpp"

#include "analytics_recorder.hpp"

namespace clicktrove::testing {

namespace {
const RecordingAnalyticsClient& recording(const std::shared_ptr<AnalyticsClient>& client) {
    return static_cast<const RecordingAnalyticsClient&>(*client);
}
}  // namespace

AnalyticsRecorder::AnalyticsRecorder() : client_(std::make_shared<RecordingAnalyticsClient>()) {}
AnalyticsRecorder::~AnalyticsRecorder() = default;

std::vector<AnalyticsRecorder::Signal> AnalyticsRecorder::all() const {
    std::vector<Signal> out;
    for (const auto& s : recording(client_).signals()) out.push_back({s.name, s.parameters});
    return out;
}

std::vector<std::string> AnalyticsRecorder::names() const {
    std::vector<std::string> out;
    for (const auto& s : all()) out.push_back(s.name);
    return out;
}

std::vector<AnalyticsRecorder::Signal> AnalyticsRecorder::named(const std::string& name) const {
    std::vector<Signal> out;
    for (const auto& s : all()) {
        if (s.name == name) out.push_back(s);
    }
    return out;
}

}  // namespace clicktrove::testing
