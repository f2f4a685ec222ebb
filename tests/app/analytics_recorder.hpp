#pragma once

#include "services/analytics_client.hpp"

#include <memory>
#include <string>
#include <vector>

namespace clicktrove::testing {

// The signals an analytics client was given, for tests. It wraps RecordingAnalyticsClient, whose header cannot
// follow a Qt header: its member named `signals` collides with Qt's keyword macro.
class AnalyticsRecorder {
public:
    struct Signal {
        std::string name;
        AnalyticsClient::Parameters parameters;
        friend bool operator==(const Signal&, const Signal&) = default;
    };

    AnalyticsRecorder();
    ~AnalyticsRecorder();

    std::shared_ptr<AnalyticsClient> client() const { return client_; }
    std::vector<Signal> all() const;
    std::vector<std::string> names() const;
    std::vector<Signal> named(const std::string& name) const;

private:
    std::shared_ptr<AnalyticsClient> client_;
};

}  // namespace clicktrove::testing
