#pragma once

#include "engine/click_config.hpp"
#include "engine/click_preset.hpp"
#include "engine/click_record.hpp"
#include "engine/uuid.hpp"
#include "platform/file_problem.hpp"
#include "platform/mouse_input.hpp"
#include "services/shortcut_manager.hpp"
#include "session/file_notice.hpp"
#include "session/view_model_services.hpp"

#include <QObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clicktrove {

class ClickEngine;
class CoordinateRecorder;
class HistoryManager;
class MacroController;
class MenuBarManager;
class PermissionManager;
class ProfileManager;
class RunController;
class SettingsManager;

// The one controller of the running application: every screen observes it and calls it; the tray menu and the
// keyboard shortcuts reach it through callbacks. It owns the click engine and the session's services, holds the
// configuration the Dashboard edits, publishes the run state and live statistics and remembers which preset the
// configuration came from. Run control lives in RunController and macros in MacroController; this class holds
// the published state and the configuration and preset operations.
//
// Each published property has its own change signal, emitted after every store (also of an equal value), and
// every store also emits changed(), which screens that redraw as a whole listen to. Main thread only.
class AutoClickerViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(clicktrove::ClickConfig config READ config WRITE setConfig NOTIFY configChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(bool isPaused READ isPaused NOTIFY isPausedChanged)
    Q_PROPERTY(qint64 totalClicks READ totalClicks NOTIFY totalClicksChanged)
    Q_PROPERTY(double elapsedTime READ elapsedTime NOTIFY elapsedTimeChanged)
    Q_PROPERTY(qint64 cps READ cps NOTIFY cpsChanged)
    Q_PROPERTY(qint64 remainingClicks READ remainingClicks NOTIFY remainingClicksChanged)
    Q_PROPERTY(std::vector<double> cpsHistory READ cpsHistory NOTIFY cpsHistoryChanged)
    Q_PROPERTY(bool isRecordingMacro READ isRecordingMacro NOTIFY isRecordingMacroChanged)
    Q_PROPERTY(std::vector<clicktrove::ClickRecord> recordedClicks READ recordedClicks NOTIFY recordedClicksChanged)
    Q_PROPERTY(bool isPlayingMacro READ isPlayingMacro NOTIFY isPlayingMacroChanged)
    Q_PROPERTY(QString toastMessage READ toastText NOTIFY toastMessageChanged)
    Q_PROPERTY(QString activePresetName READ activePresetNameText NOTIFY activePresetNameChanged)
    Q_PROPERTY(bool isConfigModified READ isConfigModified NOTIFY isConfigModifiedChanged)

public:
    static constexpr std::size_t kChartSamples = 30;
    static constexpr std::chrono::milliseconds kToastDuration{2000};
    // A failure notice tells of something the user may have to act on, so it stays longer.
    static constexpr std::chrono::milliseconds kFailureToastDuration{6000};

    // Creates the services in this order: permission monitor, engine, shortcuts, settings, presets, history,
    // coordinate recorder; then takes the remembered configuration, becomes the engine's delegate, starts the
    // shortcuts and the chart timer and restores the last active preset (its configuration only when none is
    // remembered; a remembered one that differs from it shows as modified).
    explicit AutoClickerViewModel(ViewModelServices services, QObject* parent = nullptr);
    ~AutoClickerViewModel() override;

    // --- published state ---
    const ClickConfig& config() const { return config_; }
    const QString& status() const { return status_; }
    bool isRunning() const { return isRunning_; }
    bool isPaused() const { return isPaused_; }
    std::int64_t totalClicks() const { return totalClicks_; }
    double elapsedTime() const { return elapsedTime_; }
    std::int64_t cps() const { return cps_; }
    std::int64_t remainingClicks() const { return remainingClicks_; }
    // Oldest first, always kChartSamples long.
    const std::vector<double>& cpsHistory() const { return cpsHistory_; }
    bool isRecordingMacro() const { return isRecordingMacro_; }
    const std::vector<ClickRecord>& recordedClicks() const { return recordedClicks_; }
    bool isPlayingMacro() const { return isPlayingMacro_; }
    const std::optional<QString>& toastMessage() const { return toastMessage_; }
    // Whether the notice shown tells of a failure (drawn with a failure symbol).
    bool toastIsFailure() const { return toastIsFailure_; }
    const std::optional<Uuid>& activePresetId() const { return activePresetId_; }
    const std::optional<std::string>& activePresetName() const { return activePresetName_; }
    bool isConfigModified() const { return isConfigModified_; }
    // The configuration as last loaded from or saved to a preset.
    const std::optional<ClickConfig>& loadedConfig() const { return loadedConfig_; }
    // Milliseconds per click of the current run, pauses excluded.
    double averageIntervalMs() const;
    // The maximum of the run the statistics describe: while an engine run's figures are on show, the one it
    // started with (edits made since do not reach it); otherwise that of the configuration being edited.
    std::int64_t statisticsMaxClicks() const;

    // --- services the screens bind to directly ---
    PermissionManager& permissionManager() const { return *permissionManager_; }
    ShortcutManager& shortcutManager() const { return *shortcutManager_; }
    SettingsManager& settingsManager() const { return *settingsManager_; }
    ProfileManager& profileManager() const { return *profileManager_; }
    HistoryManager& historyManager() const { return *historyManager_; }
    NotificationManager& notificationManager() const { return services_.notifications(); }
    CoordinateRecorder& coordinateRecorder() const { return *coordinateRecorder_; }
    // The tray item; the window content hands over a new one each time it is shown and only the newest is kept.
    // It shows the current run state from the moment it is stored.
    MenuBarManager* menuBarManager() const { return menuBarManager_.get(); }
    void setMenuBarManager(std::unique_ptr<MenuBarManager> manager);

    // --- configuration: the only ways to store it; each store is followed by exactly one sync ---
    void setConfig(const ClickConfig& config);
    // Changes the configuration in place (one field or many) as one store.
    void editConfig(const std::function<void(ClickConfig&)>& edit);

    // --- notices and presets ---
    // Shows the notice for kToastDuration; a newer, different notice keeps its own full duration.
    void showToast(const QString& message);
    // The same for a failure, shown with a failure symbol for kFailureToastDuration.
    void showFailureToast(const QString& message);
    // The failure notice for a problem with one of the user's files. Problems met while the view model is
    // being created (its services load their files) are shown together, once it is.
    void showFileProblem(FileNoticeSubject subject, const platform::FileProblem& problem);
    // "Launch at Login could not be turned on: <reason>" (or off), for a login item that refused the change.
    static QString loginItemNoticeText(bool wanted, const std::string& reason);
    // A report that shows such notices for as long as this view model lives (for file work done later).
    platform::FileProblemReport fileProblemReport(FileNoticeSubject subject);
    void loadPreset(const ClickPreset& preset);
    void saveAsNewPreset(const std::string& name);
    void saveChangesToActivePreset();

    // --- run control ---
    void startClicking();
    void stopClicking();
    void pauseClicking();
    void resumeClicking();
    void resetStats();
    void handleShortcutAction(ShortcutManager::Action action);
    void emergencyStop();
    // The program is quitting (the tray's Quit, the last window closed, a termination signal, a logout): a run
    // under way ends as the emergency stop ends it, so that no button stays down at the server, and goes into the
    // history as a stopped run.
    void applicationWillTerminate();
    // Reports of the run under way, handled at once as the engine's delegate handles them; without a run
    // under way they stand for one of the current configuration.
    void clickEngineDidUpdate(std::int64_t totalClicks, std::int64_t cps, std::int64_t remainingClicks,
                              double elapsedTime);
    void clickEngineDidStop(bool completed);

    // --- macros ---
    void startMacroRecording();
    void stopMacroRecording();
    void playMacro();
    void stopMacroPlayback();
    void exportMacro();
    void importMacro();
    // Where the program's own recorder controls are on screen: a press there (the one on Stop Recording that
    // ends a recording) drives the recorder and is no part of the macro. Replaced by each call; empty, every
    // press counts.
    using ScreenArea = std::function<bool(const platform::GlobalPoint&)>;
    void setRecorderControls(ScreenArea controls) { recorderControls_ = std::move(controls); }
    bool isOnRecorderControls(const platform::GlobalPoint& point) const {
        return recorderControls_ && recorderControls_(point);
    }

    QString toastText() const { return toastMessage_.value_or(QString()); }
    QString activePresetNameText() const {
        return activePresetName_ ? QString::fromStdString(*activePresetName_) : QString();
    }

signals:
    // After any published store.
    void changed();
    void configChanged();
    void statusChanged();
    void isRunningChanged();
    void isPausedChanged();
    void totalClicksChanged();
    void elapsedTimeChanged();
    void cpsChanged();
    void remainingClicksChanged();
    void cpsHistoryChanged();
    void isRecordingMacroChanged();
    void recordedClicksChanged();
    void isPlayingMacroChanged();
    void toastMessageChanged();
    void activePresetIdChanged();
    void activePresetNameChanged();
    void isConfigModifiedChanged();
    // A start was refused, with the notice that says why (also shown as the toast).
    void startRefused(const QString& notice);

private:
    friend class RunController;
    friend class MacroController;

    void syncConfig();
    void updateConfigModified();
    void restoreLastActivePreset();
    // Published stores: store, then the field's signal, then changed().
    template <class T>
    void publish(T& field, T value, void (AutoClickerViewModel::*signal)());
    void setStatus(const QString& status);
    void setIsRunning(bool value);
    void setIsPaused(bool value);
    void setTotalClicks(std::int64_t value);
    void setElapsedTime(double value);
    void setCps(std::int64_t value);
    void setRemainingClicks(std::int64_t value);
    void setCpsHistory(std::vector<double> value);
    void setIsRecordingMacro(bool value);
    void setRecordedClicks(std::vector<ClickRecord> value);
    void setIsPlayingMacro(bool value);
    void setToastMessage(std::optional<QString> value);
    void showNotice(const QString& message, bool failure);
    // A failure notice now, or, while the constructor runs, with the others of the start at its end.
    void tellFailure(const QString& text);
    void setActivePreset(const Uuid& id, const std::string& name);
    void setIsConfigModified(bool value);

    ViewModelServices services_;

    ClickConfig config_;
    QString status_;
    bool isRunning_ = false;
    bool isPaused_ = false;
    std::int64_t totalClicks_ = 0;
    double elapsedTime_ = 0;
    std::int64_t cps_ = 0;
    std::int64_t remainingClicks_ = 0;
    std::vector<double> cpsHistory_;

    std::unique_ptr<PermissionManager> permissionManager_;
    std::unique_ptr<ClickEngine> clickEngine_;
    std::unique_ptr<ShortcutManager> shortcutManager_;
    std::unique_ptr<SettingsManager> settingsManager_;
    std::unique_ptr<ProfileManager> profileManager_;
    std::unique_ptr<HistoryManager> historyManager_;
    std::unique_ptr<CoordinateRecorder> coordinateRecorder_;
    std::unique_ptr<MenuBarManager> menuBarManager_;

    bool isRecordingMacro_ = false;
    std::vector<ClickRecord> recordedClicks_;
    bool isPlayingMacro_ = false;
    std::optional<QString> toastMessage_;
    bool toastIsFailure_ = false;
    // While the constructor runs: the file problems met so far, shown as one notice at its end.
    std::optional<QStringList> startupProblems_ = QStringList();
    std::optional<Uuid> activePresetId_;
    std::optional<std::string> activePresetName_;
    bool isConfigModified_ = false;
    std::optional<ClickConfig> loadedConfig_;

    ScreenArea recorderControls_;

    // Shared so that work they post to the main queue can hold them weakly.
    std::shared_ptr<RunController> run_;
    std::shared_ptr<MacroController> macro_;
};

}  // namespace clicktrove
