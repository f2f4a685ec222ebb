#pragma once

#include "services/analytics_client.hpp"

#include <vector>

namespace clicktrove {

// An analytics client that keeps every configuration and signal it is given, for tests.
class RecordingAnalyticsClient final : public AnalyticsClient {
public:
    struct Signal {
        std::string name;
        Parameters parameters;
        friend bool operator==(const Signal&, const Signal&) = default;
    };

    void initialize(const Configuration& configuration) override { configurations_.push_back(configuration); }
    void signal(const std::string& name, const Parameters& parameters) override { sent_.push_back({name, parameters}); }

    const std::vector<Configuration>& configurations() const { return configurations_; }
    const std::vector<Signal>& sent() const { return sent_; }
    // The signals with that name, in order.
    std::vector<Signal> sentNamed(const std::string& name) const;
    void clear() {
        configurations_.clear();
        sent_.clear();
    }

private:
    std::vector<Configuration> configurations_;
    std::vector<Signal> sent_;
};

}  // namespace clicktrove
