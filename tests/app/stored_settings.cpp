#include "stored_settings.hpp"

#include "platform/fake/fake_activation_policy.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_login_item.hpp"
#include "platform/fake/recording_log_sink.hpp"
#include "platform/file_user_defaults.hpp"
#include "services/analytics_client.hpp"
#include "services/analytics_manager.hpp"

#include <memory>

namespace clicktrove::testing {

void storeSettings(const TempHome& home, const std::function<void(SettingsManager&)>& edit) {
    platform::FileUserDefaults defaults(platform::FileUserDefaults::standardSuiteName,
                                        home.configHome() / "Clicktrove");
    platform::FakeLoginItem loginItem;
    platform::FakeActivationPolicy policy;
    AnalyticsManager analytics{std::make_shared<EmptyAnalyticsClient>()};
    platform::FakeClock clock;
    SettingsManager settings(
        {defaults, loginItem, policy, analytics, std::make_shared<platform::RecordingLogSink>(), clock});
    edit(settings);
}

}  // namespace clicktrove::testing
