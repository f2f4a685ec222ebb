#pragma once

#include "engine/click_type.hpp"
#include "services/accent_theme_color.hpp"
#include "services/analytics_client.hpp"
#include "services/app_theme.hpp"

#include "platform/main_queue.hpp"

#include <memory>
#include <mutex>
#include <string>

namespace clicktrove {

// The program's one doorway to usage analytics: configures the client once at launch and sends every usage
// signal. It keeps no state beyond the client, never blocks and never reports failure.
//
// Signal catalogue (names and parameter keys are literal):
//   "AppLaunched"          none             once per launch, right after configure()
//   "StartClicking"        "clickType"      a start that passed the permission check, before the countdown
//   "StopClicking"         none             the user's stop of a run or its countdown (not self-ended runs)
//   "SavePresetAsNew"      none             every save of the configuration as a new preset
//   "StartMacroRecording"  none             a recording start while none is active
//   "ThemeChanged"         "theme"          every assignment of the theme, the one at load included
//   "AccentColorChanged"   "color"          every assignment of the accent colour, the one at load included
class AnalyticsManager final {
public:
    using Parameters = AnalyticsClient::Parameters;

    static constexpr const char* kAppLaunched = "AppLaunched";
    static constexpr const char* kStartClicking = "StartClicking";
    static constexpr const char* kStopClicking = "StopClicking";
    static constexpr const char* kSavePresetAsNew = "SavePresetAsNew";
    static constexpr const char* kStartMacroRecording = "StartMacroRecording";
    static constexpr const char* kThemeChanged = "ThemeChanged";
    static constexpr const char* kAccentColorChanged = "AccentColorChanged";

    // The process-wide instance, created on first use (thread-safe). Until the application installs the real
    // client it uses the empty one.
    static AnalyticsManager& shared();

    explicit AnalyticsManager(std::shared_ptr<AnalyticsClient> client = std::make_shared<EmptyAnalyticsClient>());
    AnalyticsManager(const AnalyticsManager&) = delete;
    AnalyticsManager& operator=(const AnalyticsManager&) = delete;

    // Replaces the client: the application installs the real one before configure(); tests a recording one.
    void setClient(std::shared_ptr<AnalyticsClient> client);
    // Installs the client of this build before configure(): the Tallywire client on the production threads
    // around the app's main queue when the build has an analytics application identifier, else the empty one.
    void useBuildClient(std::shared_ptr<platform::MainQueue> mainQueue);

    // The configuration the program runs with: the build's application identifier, the log handler at the
    // debug level, test mode explicitly off, everything else the client's default.
    static AnalyticsClient::Configuration configuration();
    // Initialises the client with configuration(). Called once, at launch, before any signal.
    void configure();
    // Sends one signal with its parameters unchanged.
    void track(const std::string& name, const Parameters& parameters = {});

    // Hand-overs to the client: the display facts its signals report and the application's lifecycle.
    void setDisplayFactsSource(AnalyticsClient::DisplayFactsSource source);
    void applicationWillTerminate();
    void applicationDidResignActive();
    void applicationWillBecomeActive();

    // The catalogue's signals with parameters, spelled once here.
    void trackStartClicking(ClickType clickType);
    void trackThemeChanged(AppTheme theme);
    void trackAccentColorChanged(AccentThemeColor color);

private:
    std::shared_ptr<AnalyticsClient> client() const;

    mutable std::mutex mutex_;
    std::shared_ptr<AnalyticsClient> client_;
};

}  // namespace clicktrove
