#include "services/settings_manager.hpp"

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

namespace clicktrove {

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
    // While the stored record is being loaded, its one save comes at the end.
    if (!loading_) save();
}

void SettingsManager::setTheme(AppTheme theme) {
    assign(data_.theme, theme, &SettingsManager::themeChanged);
    services_.analytics.trackThemeChanged(data_.theme);
}

void SettingsManager::setAccentColor(AccentThemeColor color) {
    assign(data_.accentColor, color, &SettingsManager::accentColorChanged);
    services_.analytics.trackAccentColorChanged(data_.accentColor);
}

void SettingsManager::setLaunchAtLogin(bool on) {
    assign(data_.launchAtLogin, on, &SettingsManager::launchAtLoginChanged);
    applyLaunchAtLogin();
}

void SettingsManager::setStartMinimized(bool on) {
    assign(data_.startMinimized, on, &SettingsManager::startMinimizedChanged);
}

void SettingsManager::setRememberLastConfig(bool on) {
    assign(data_.rememberLastConfig, on, &SettingsManager::rememberLastConfigChanged);
}

void SettingsManager::setShowDockIcon(bool on) {
    assign(data_.showDockIcon, on, &SettingsManager::showDockIconChanged);
    applyDockIcon();
}

void SettingsManager::setPlaySound(bool on) {
    assign(data_.playSound, on, &SettingsManager::playSoundChanged);
}

void SettingsManager::setSoundName(const std::string& name) {
    assign(data_.soundName, name, &SettingsManager::soundNameChanged);
}

void SettingsManager::setSoundVolume(double volume) {
    assign(data_.soundVolume, volume, &SettingsManager::soundVolumeChanged);
}

void SettingsManager::setLastConfig(const ClickConfig& config) {
    assign(data_.lastConfig, config, &SettingsManager::lastConfigChanged);
}

void SettingsManager::save() {
    const auto record = data_.encode();
    if (!record) return;
    if (services_.defaults.setValue(userDefaultsKey, *record)) {
        saveFailing_ = false;
        return;
    }
    // Told once when saving starts to fail, not at every change while it keeps failing.
    if (saveFailing_) return;
    saveFailing_ = true;
    // A suite file that could neither be read nor kept aside was reported at load as "changes are not saved";
    // the failing save is that very consequence, not news.
    const auto readProblem = services_.defaults.readProblem();
    if (readProblem && readProblem->kind == platform::FileProblem::Kind::notKept) return;
    auto problem = services_.defaults.writeProblem().value_or(platform::FileProblem{});
    problem.kind = platform::FileProblem::Kind::notSaved;
    report(problem);
}

void SettingsManager::report(const platform::FileProblem& problem) {
    if (services_.reportProblem) services_.reportProblem(problem);
}

void SettingsManager::keepUnreadableRecord(const nlohmann::json& stored) {
    // Kept under a key of its own right away, and taken from its place, so that it is neither lost to the next
    // save nor met (and kept) again at every start.
    const std::string base = platform::unreadableCopyName(userDefaultsKey, services_.clock.now());
    std::string copyKey = base;
    for (int n = 2; services_.defaults.value(copyKey); ++n) copyKey = base + "-" + std::to_string(n);
    if (!services_.defaults.setValue(copyKey, stored)) return;  // the suite reports that it cannot be written
    services_.defaults.removeValue(userDefaultsKey);
    report(platform::FileProblem{platform::FileProblem::Kind::keptAside, userDefaultsKey, copyKey,
                                 "not a settings record"});
}

void SettingsManager::load() {
    const auto stored = services_.defaults.value(userDefaultsKey);
    // The suite's own file could not be read: it was kept aside (or left alone) and the suite starts empty.
    if (const auto problem = services_.defaults.readProblem()) report(*problem);
    if (!stored) return;
    const auto data = SettingsData::decode(*stored);
    if (!data) {
        keepUnreadableRecord(*stored);
        return;
    }
    // Through the setters: every side effect runs, in this order, as on any change; the record is saved once,
    // after the last of them, rather than once for each.
    loading_ = true;
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
    loading_ = false;
    save();
}

void SettingsManager::applyLaunchAtLogin() {
    auto& item = services_.loginItem;
    std::string error;
    bool ok = true;
    if (data_.launchAtLogin) {
        // Re-registering refreshes an entry that points at an older location of the program.
        if (item.status() == platform::LoginItem::Status::enabled) item.unregisterItem(nullptr);
        ok = item.registerItem(&error);
    } else {
        ok = item.unregisterItem(&error);
    }
    if (ok) return;
    if (services_.log) services_.log->write(kLoginItemFailurePrefix + error);
    // The switch and the stored record say what happens at the next login, not what was asked for: a switch left
    // on over a failed registration promises a start that never comes.
    const bool wanted = data_.launchAtLogin;
    const bool actual = item.status() == platform::LoginItem::Status::enabled;
    if (actual == wanted) return;
    assign(data_.launchAtLogin, actual, &SettingsManager::launchAtLoginChanged);
    if (services_.reportLoginItemProblem) services_.reportLoginItemProblem(wanted, error);
}

void SettingsManager::applyDockIcon() {
    services_.activationPolicy.setActivationPolicy(data_.showDockIcon ? platform::ActivationPolicy::Policy::regular
                                                                      : platform::ActivationPolicy::Policy::accessory);
}

}  // namespace clicktrove
