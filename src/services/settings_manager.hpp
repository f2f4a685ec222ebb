#pragma once

#include "engine/click_config.hpp"
#include "platform/file_problem.hpp"
#include "services/accent_theme_color.hpp"
#include "services/app_theme.hpp"
#include "services/settings_data.hpp"

#include <QObject>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace clicktrove {

class AnalyticsManager;

namespace platform {
class ActivationPolicy;
class Clock;
class LogSink;
class LoginItem;
class UserDefaults;
}  // namespace platform

// The user's application-wide preferences, kept as one JSON record (SettingsData) under
// "com.vaq.autoclicker.settings" in the standard user defaults. Every assignment saves the whole record at once
// and runs its side effect, also when the value is unchanged: the theme and accent colour send their usage
// signal, launch at login (un)registers the login item, the taskbar icon switches the activation policy. Each
// change signal fires on every assignment, after the value is stored. Launch at login that the login item
// refuses goes back to the login item's real state (a second assignment) and is reported. Loading a stored
// record runs every setter's side effect but saves the record once. Main thread only.
class SettingsManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(AppTheme theme READ theme WRITE setTheme NOTIFY themeChanged)
    Q_PROPERTY(AccentThemeColor accentColor READ accentColor WRITE setAccentColor NOTIFY accentColorChanged)
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(bool startMinimized READ startMinimized WRITE setStartMinimized NOTIFY startMinimizedChanged)
    Q_PROPERTY(
        bool rememberLastConfig READ rememberLastConfig WRITE setRememberLastConfig NOTIFY rememberLastConfigChanged)
    Q_PROPERTY(bool showDockIcon READ showDockIcon WRITE setShowDockIcon NOTIFY showDockIconChanged)
    Q_PROPERTY(bool playSound READ playSound WRITE setPlaySound NOTIFY playSoundChanged)
    Q_PROPERTY(std::string soundName READ soundName WRITE setSoundName NOTIFY soundNameChanged)
    Q_PROPERTY(double soundVolume READ soundVolume WRITE setSoundVolume NOTIFY soundVolumeChanged)
    Q_PROPERTY(ClickConfig lastConfig READ lastConfig WRITE setLastConfig NOTIFY lastConfigChanged)
public:
    static constexpr const char* userDefaultsKey = "com.vaq.autoclicker.settings";
    static constexpr const char* kLoginItemFailurePrefix = "Clicktrove: Failed to modify the autostart entry: ";

    struct Services {
        platform::UserDefaults& defaults;
        platform::LoginItem& loginItem;
        platform::ActivationPolicy& activationPolicy;
        AnalyticsManager& analytics;
        std::shared_ptr<platform::LogSink> log;
        const platform::Clock& clock;
        // Told when the settings could not be read (the suite's file or the record was kept aside, or the file
        // could not be kept and nothing is saved) and when saving starts to fail for another reason. May be
        // empty.
        platform::FileProblemReport reportProblem = {};
        // Told when launch at login could not be switched as asked (`wanted`), with the reason; the setting has
        // then gone back to what the desktop will really do at the next login. May be empty.
        std::function<void(bool wanted, const std::string& reason)> reportLoginItemProblem = {};
    };

    // The process's own: the standard user defaults, XDG autostart, the Qt activation policy, the shared
    // analytics manager and the system log. Needs the Qt application object.
    static Services systemServices();

    // Starts from the defaults, loads the stored record through the setters (so their side effects run), then
    // applies the activation policy. Never fails.
    explicit SettingsManager(Services services, QObject* parent = nullptr);
    ~SettingsManager() override;

    AppTheme theme() const { return data_.theme; }
    AccentThemeColor accentColor() const { return data_.accentColor; }
    bool launchAtLogin() const { return data_.launchAtLogin; }
    bool startMinimized() const { return data_.startMinimized; }
    bool rememberLastConfig() const { return data_.rememberLastConfig; }
    bool showDockIcon() const { return data_.showDockIcon; }
    bool playSound() const { return data_.playSound; }
    const std::string& soundName() const { return data_.soundName; }
    double soundVolume() const { return data_.soundVolume; }
    const ClickConfig& lastConfig() const { return data_.lastConfig; }

    void setTheme(AppTheme theme);
    void setAccentColor(AccentThemeColor color);
    void setLaunchAtLogin(bool on);
    void setStartMinimized(bool on);
    void setRememberLastConfig(bool on);
    void setShowDockIcon(bool on);
    void setPlaySound(bool on);
    void setSoundName(const std::string& name);
    void setSoundVolume(double volume);
    void setLastConfig(const ClickConfig& config);

    // Writes the ten settings as one compact JSON record; when they cannot be encoded (a non-finite number,
    // text that is not UTF-8) nothing is written and the previous record stays. A write that fails is reported
    // once, when saving starts to fail.
    void save();

signals:
    void themeChanged(AppTheme theme);
    void accentColorChanged(AccentThemeColor color);
    void launchAtLoginChanged(bool launchAtLogin);
    void startMinimizedChanged(bool startMinimized);
    void rememberLastConfigChanged(bool rememberLastConfig);
    void showDockIconChanged(bool showDockIcon);
    void playSoundChanged(bool playSound);
    void soundNameChanged(const std::string& soundName);
    void soundVolumeChanged(double soundVolume);
    void lastConfigChanged(const ClickConfig& lastConfig);

private:
    // What every setter does first: stores the value, announces it, saves the record.
    template <typename T, typename Arg>
    void assign(T& field, const T& value, void (SettingsManager::*changed)(Arg));
    void load();
    void keepUnreadableRecord(const nlohmann::json& stored);
    void report(const platform::FileProblem& problem);
    void applyLaunchAtLogin();
    void applyDockIcon();

    Services services_;
    // The ten settings, with their defaults.
    SettingsData data_;
    bool loading_ = false;
    bool saveFailing_ = false;
};

}  // namespace clicktrove
