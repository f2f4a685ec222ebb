#pragma once

#include "analytics/telemetry_environment.hpp"
#include "platform/main_queue.hpp"
#include "services/analytics_client.hpp"

#include <memory>

namespace clicktrove {

// The analytics client of a build with an application identifier: the Tallywire client behind the program's
// small client interface.
class TallywireAnalyticsClient final : public AnalyticsClient {
public:
    explicit TallywireAnalyticsClient(analytics::TelemetryEnvironment environment);

    // The client for this build: the empty one when the build has no application identifier (so a default
    // build sends nothing anywhere), else the Tallywire client on the production threads around the app's main
    // queue, with its defaults suite in the program's user-defaults folder.
    static std::shared_ptr<AnalyticsClient> forBuild(std::shared_ptr<platform::MainQueue> mainQueue);
    // The same decision for a given identifier and environment.
    static std::shared_ptr<AnalyticsClient> forAppID(const std::string& appID,
                                                     analytics::TelemetryEnvironment environment);

    void initialize(const Configuration& configuration) override;
    void signal(const std::string& name, const Parameters& parameters) override;
    void setDisplayFactsSource(DisplayFactsSource source) override;
    void applicationWillTerminate() override;
    void applicationDidResignActive() override;
    void applicationWillBecomeActive() override;

private:
    analytics::TelemetryEnvironment environment_;
};

}  // namespace clicktrove
