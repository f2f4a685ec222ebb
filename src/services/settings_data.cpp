#include "services/settings_data.hpp"

#include "engine/model_json.hpp"
#include "platform/bounded_json.hpp"

#include <cmath>
#include <nlohmann/json.hpp>

namespace clicktrove {

namespace {

std::optional<bool> boolean(const nlohmann::json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_boolean()) return std::nullopt;
    return it->get<bool>();
}

std::optional<std::string> text(const nlohmann::json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

}  // namespace

std::optional<SettingsData> SettingsData::decode(const nlohmann::json& stored) {
    if (!stored.is_string()) return std::nullopt;
    const auto parsed = platform::parseBoundedJson(stored.get_ref<const std::string&>());
    if (!parsed || !parsed->is_object()) return std::nullopt;
    const nlohmann::json& object = *parsed;

    const auto themeText = text(object, "theme");
    const auto colorText = text(object, "accentColor");
    const auto theme = themeText ? appThemeFromRawValue(*themeText) : std::nullopt;
    const auto color = colorText ? accentThemeColorFromRawValue(*colorText) : std::nullopt;
    const auto launchAtLogin = boolean(object, "launchAtLogin");
    const auto startMinimized = boolean(object, "startMinimized");
    const auto rememberLastConfig = boolean(object, "rememberLastConfig");
    const auto showDockIcon = boolean(object, "showDockIcon");
    const auto playSound = boolean(object, "playSound");
    const auto soundName = text(object, "soundName");
    const auto volume = object.find("soundVolume");
    const auto config = object.find("lastConfig");
    if (!theme || !color || !launchAtLogin || !startMinimized || !rememberLastConfig || !showDockIcon || !playSound ||
        !soundName || volume == object.end() || !volume->is_number() || config == object.end() ||
        // A number too large for a double reads as infinity, which no save could write again.
        !std::isfinite(volume->get<double>())) {
        return std::nullopt;
    }
    auto lastConfig = fromJson<ClickConfig>(*config);
    if (!lastConfig) return std::nullopt;
    return SettingsData{*theme,        *color,     *launchAtLogin, *startMinimized,       *rememberLastConfig,
                        *showDockIcon, *playSound, *soundName,     volume->get<double>(), std::move(*lastConfig)};
}

std::optional<std::string> SettingsData::encode() const {
    // JSON has no NaN or infinity; such a volume makes the record unencodable, as it would be anywhere else.
    if (!std::isfinite(soundVolume)) return std::nullopt;
    auto config = toJson(lastConfig);
    if (!config) return std::nullopt;
    nlohmann::ordered_json record;
    record["theme"] = std::string(rawValue(theme));
    record["accentColor"] = std::string(rawValue(accentColor));
    record["launchAtLogin"] = launchAtLogin;
    record["startMinimized"] = startMinimized;
    record["rememberLastConfig"] = rememberLastConfig;
    record["showDockIcon"] = showDockIcon;
    record["playSound"] = playSound;
    record["soundName"] = soundName;
    record["soundVolume"] = soundVolume;
    record["lastConfig"] = std::move(*config);
    try {
        return record.dump();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;  // a sound name that is not valid UTF-8
    }
}

}  // namespace clicktrove
