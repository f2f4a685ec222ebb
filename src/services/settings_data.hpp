#pragma once

#include "engine/click_config.hpp"
#include "services/accent_theme_color.hpp"
#include "services/app_theme.hpp"

#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace clicktrove {

// The settings record as it is stored: one compact JSON object with the ten keys in this order, every one
// required when reading (extra keys are ignored), every value of its exact type, the enumerations by their raw
// text, held in the user defaults as a data value (its JSON text, as a string). Qt-free, so that it can be
// checked on its own.
struct SettingsData {
    AppTheme theme = AppTheme::system;
    AccentThemeColor accentColor = AccentThemeColor::blue;
    bool launchAtLogin = false;
    bool startMinimized = false;
    bool rememberLastConfig = true;
    bool showDockIcon = true;
    bool playSound = false;
    std::string soundName = "Tink";
    double soundVolume = 0.5;
    ClickConfig lastConfig;

    // Nothing for a stored value that is not such a record: not a data value, not JSON (or nested deeper than
    // the limit for stored JSON), a missing key, a wrong type, an unknown raw text, an incomplete lastConfig.
    static std::optional<SettingsData> decode(const nlohmann::json& stored);
    // The record's JSON text; nothing when a value cannot be encoded (a non-finite number, text that is not
    // UTF-8).
    std::optional<std::string> encode() const;
};

}  // namespace clicktrove
