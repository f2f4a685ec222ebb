#include "services/settings_manager.hpp"

#include "engine/model_json.hpp"
#include "platform/activation_policy.hpp"
#include "platform/clock.hpp"
#include "platform/file_user_defaults.hpp"
#include "platform/log_sink.hpp"
#include "platform/login_item.hpp"
#include "platform/qt/qt_activation_policy.hpp"
#include "platform/system_log_sink.hpp"
#include "platform/unreadable_copy.hpp"
#include "platform/user_defaults.hpp"
#include "platform/xdg_login_item.hpp"
#include "services/analytics_manager.hpp"

#include <cmath>

namespace clicktrove {

namespace {
using Json = nlohmann::ordered_json;

// The stored record: all ten keys required, every value of its exact type, enumerations by their raw text.
struct SettingsData {
    AppTheme theme;
    AccentThemeColor accentColor;
    bool launchAtLogin;
    bool startMinimized;
    bool rememberLastConfig;
    bool showDockIcon;
    bool playSound;
    std::string soundName;
    double soundVolume;
    ClickConfig lastConfig;
};

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

std::optional<SettingsData> decode(const nlohmann::json& stored) {
    // The record is a data value: its JSON text, held as a string.
    if (!stored.is_string()) return std::nullopt;
    const auto object = nlohmann::json::parse(stored.get_ref<const std::string&>(), nullptr, false);
    if (!object.is_object()) return std::nullopt;

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
        !soundName || volume == object.end() || !volume->is_number() || config == object.end()) {
        return std::nullopt;
    }
    auto lastConfig = fromJson<ClickConfig>(*config);
    if (!lastConfig) return std::nullopt;
    return SettingsData{*theme,        *color,     *launchAtLogin, *startMinimized,       *rememberLastConfig,
                        *showDockIcon, *playSound, *soundName,     volume->get<double>(), std::move(*lastConfig)};
}
}  // namespace

SettingsManager::Services SettingsManager::systemServices() {
    // Process-lifetime platform objects, never destroyed, like the managers that use them.
    static const auto defaults = new std::shared_ptr<platform::UserDefaults>(platform::FileUserDefaults::standard());
    static const auto loginItem = new platform::XdgLoginItem();
    static const auto activationPolicy = new platform::QtActivationPolicy();
    return Services{**defaults,
                    *loginItem,
                    *activationPolicy,
                    AnalyticsManager::shared(),
                    platform::SystemLogSink::shared(),
                    platform::SystemClock::instance()};
}

SettingsManager::SettingsManager(Services services, QObject* parent) : QObject(parent), services_(std::move(services)) {
    load();
    applyDockIcon();
}

SettingsManager::~SettingsManager() = default;

template <typename T, typename Arg>
void SettingsManager::assign(T& field, const T& value, void (SettingsManager::*changed)(Arg)) {
    field = value;
    (this->*changed)(field);  // emits the change signal
    save();
}

void SettingsManager::setTheme(AppTheme theme) {
    assign(theme_, theme, &SettingsManager::themeChanged);
    services_.analytics.trackThemeChanged(theme_);
}

void SettingsManager::setAccentColor(AccentThemeColor color) {
    assign(accentColor_, color, &SettingsManager::accentColorChanged);
    services_.analytics.trackAccentColorChanged(accentColor_);
}

void SettingsManager::setLaunchAtLogin(bool on) {
    assign(launchAtLogin_, on, &SettingsManager::launchAtLoginChanged);
    applyLaunchAtLogin();
}

void SettingsManager::setStartMinimized(bool on) {
    assign(startMinimized_, on, &SettingsManager::startMinimizedChanged);
}

void SettingsManager::setRememberLastConfig(bool on) {
    assign(rememberLastConfig_, on, &SettingsManager::rememberLastConfigChanged);
}

void SettingsManager::setShowDockIcon(bool on) {
    assign(showDockIcon_, on, &SettingsManager::showDockIconChanged);
    applyDockIcon();
}

void SettingsManager::setPlaySound(bool on) {
    assign(playSound_, on, &SettingsManager::playSoundChanged);
}

void SettingsManager::setSoundName(const std::string& name) {
    assign(soundName_, name, &SettingsManager::soundNameChanged);
}

void SettingsManager::setSoundVolume(double volume) {
    assign(soundVolume_, volume, &SettingsManager::soundVolumeChanged);
}

void SettingsManager::setLastConfig(const ClickConfig& config) {
    assign(lastConfig_, config, &SettingsManager::lastConfigChanged);
}

std::optional<std::string> SettingsManager::encodedRecord() const {
    // JSON has no NaN or infinity; such a volume makes the record unencodable, as it would be anywhere else.
    if (!std::isfinite(soundVolume_)) return std::nullopt;
    auto config = toJson(lastConfig_);
    if (!config) return std::nullopt;
    Json record;
    record["theme"] = std::string(rawValue(theme_));
    record["accentColor"] = std::string(rawValue(accentColor_));
    record["launchAtLogin"] = launchAtLogin_;
    record["startMinimized"] = startMinimized_;
    record["rememberLastConfig"] = rememberLastConfig_;
    record["showDockIcon"] = showDockIcon_;
    record["playSound"] = playSound_;
    record["soundName"] = soundName_;
    record["soundVolume"] = soundVolume_;
    record["lastConfig"] = std::move(*config);
    try {
        return record.dump();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;  // a sound name that is not valid UTF-8
    }
}

void SettingsManager::save() {
    const auto record = encodedRecord();
    if (!record) return;
    if (unreadableRecord_) {
        // The record being replaced could not be read; keep it beside the new one rather than destroy it.
        const std::string base = platform::unreadableCopyName(userDefaultsKey, services_.clock.now());
        std::string copyKey = base;
        for (int n = 2; services_.defaults.value(copyKey); ++n) copyKey = base + "-" + std::to_string(n);
        services_.defaults.setValue(copyKey, *unreadableRecord_);
        unreadableRecord_.reset();
    }
    services_.defaults.setValue(userDefaultsKey, *record);
}

void SettingsManager::load() {
    const auto stored = services_.defaults.value(userDefaultsKey);
    if (!stored) return;
    const auto data = decode(*stored);
    if (!data) {
        unreadableRecord_ = *stored;
        return;
    }
    // Through the setters: every side effect runs, in this order, as on any change.
    setTheme(data->theme);
    setAccentColor(data->accentColor);
    setLaunchAtLogin(data->launchAtLogin);
    setStartMinimized(data->startMinimized);
    setRememberLastConfig(data->rememberLastConfig);
    setShowDockIcon(data->showDockIcon);
    setPlaySound(data->playSound);
    setSoundName(data->soundName);
    setSoundVolume(data->soundVolume);
    if (data->rememberLastConfig) setLastConfig(data->lastConfig);
}

void SettingsManager::applyLaunchAtLogin() {
    auto& item = services_.loginItem;
    std::string error;
    bool ok = true;
    if (launchAtLogin_) {
        // Re-registering refreshes an entry that points at an older location of the program.
        if (item.status() == platform::LoginItem::Status::enabled) item.unregisterItem(nullptr);
        ok = item.registerItem(&error);
    } else {
        ok = item.unregisterItem(&error);
    }
    if (!ok && services_.log) services_.log->write(kLoginItemFailurePrefix + error);
}

void SettingsManager::applyDockIcon() {
    services_.activationPolicy.setActivationPolicy(showDockIcon_ ? platform::ActivationPolicy::Policy::regular
                                                                 : platform::ActivationPolicy::Policy::accessory);
}

}  // namespace clicktrove
