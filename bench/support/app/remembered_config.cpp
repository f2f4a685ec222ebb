#include "support/app/remembered_config.hpp"

#include "platform/file_user_defaults.hpp"
#include "services/settings_data.hpp"
#include "services/settings_manager.hpp"

#include <cmath>
#include <nlohmann/json.hpp>

namespace bench {

bool writeRememberedRun(const std::filesystem::path& configHome, const RememberedRun& run) {
    clicktrove::SettingsData settings;
    settings.rememberLastConfig = true;
    clicktrove::ClickConfig& config = settings.lastConfig;
    const auto micros = static_cast<std::int64_t>(std::llround(run.intervalMs * 1000.0));
    config.intervalHours = 0;
    config.intervalMinutes = 0;
    config.intervalSeconds = micros / 1'000'000;
    config.intervalMilliseconds = micros / 1000 % 1000;
    config.intervalMicroseconds = micros % 1000;
    config.positionMode = run.mode;
    config.fixedCoordinates = {{run.x, run.y}};
    config.clickType = run.clickType;
    if (run.drag) {
        config.isDragEnabled = true;
        config.dragStartPoint = {run.x - 100, run.y - 100};
        config.dragEndPoint = {run.x + 100, run.y + 100};
        config.dragDuration = 60;
    }
    const auto record = settings.encode();
    if (!record) return false;
    clicktrove::platform::FileUserDefaults suite(clicktrove::platform::FileUserDefaults::standardSuiteName,
                                                 configHome / "Clicktrove");
    return suite.setValue(clicktrove::SettingsManager::userDefaultsKey, *record);
}

}  // namespace bench
