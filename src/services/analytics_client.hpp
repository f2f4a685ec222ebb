#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace clicktrove {

// The usage-analytics client as the program uses it: configured once, then handed named signals with text
// parameters. Implementations never report failures to the caller and return at once. Main thread only.
class AnalyticsClient {
public:
    using Parameters = std::map<std::string, std::string>;

    // The detail level of the client's own log handler, most detailed first.
    enum class LogLevel { debug, info, error };

    struct Configuration {
        // The identifier the analytics service issued for the program.
        std::string appID;
        // Absent: the client's own defaults (an empty salt, the service's default ingestion endpoint, no
        // namespace).
        std::optional<std::string> salt;
        std::optional<std::string> baseURL;
        std::optional<std::string> signalNamespace;
        // The client reports its own problems only to the system log, at this level.
        LogLevel logLevel = LogLevel::debug;
        // Absent: the client's own default.
        std::optional<bool> testMode;
    };

    virtual ~AnalyticsClient() = default;

    // Installs the configuration as the process-wide one, replacing any earlier one. Runs before any signal.
    virtual void initialize(const Configuration& configuration) = 0;
    // Queues one signal (no float value, no custom user identifier).
    virtual void signal(const std::string& name, const Parameters& parameters) = 0;

    // What only the application knows about its display.
    struct DisplayFacts {
        // The primary screen in logical pixels and its device-pixel ratio; absent without a screen.
        std::optional<double> screenWidth;
        std::optional<double> screenHeight;
        std::optional<double> screenScale;
        // "Light" or "Dark"; absent when unknown.
        std::optional<std::string> colorScheme;
        std::optional<bool> rightToLeft;
    };
    // Asked on the main thread for every signal, so each reports the display as it is at that moment.
    using DisplayFactsSource = std::function<DisplayFacts()>;
    virtual void setDisplayFactsSource(DisplayFactsSource) {}

    // The application's lifecycle, which Linux does not announce to libraries: the app calls these from its main
    // loop (will-terminate also on SIGTERM) and when its main window gains or loses the focus.
    virtual void applicationWillTerminate() {}
    virtual void applicationDidResignActive() {}
    virtual void applicationWillBecomeActive() {}
};

// The client of a build without analytics: accepts everything and sends nothing.
class EmptyAnalyticsClient final : public AnalyticsClient {
public:
    void initialize(const Configuration&) override {}
    void signal(const std::string&, const Parameters&) override {}
};

}  // namespace clicktrove
