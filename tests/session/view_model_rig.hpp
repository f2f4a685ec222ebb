#pragma once

#include "platform/fake/fake_activation_policy.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_input_permission.hpp"
#include "platform/fake/fake_key_press_monitor.hpp"
#include "platform/fake/fake_login_item.hpp"
#include "platform/fake/fake_mouse_button_monitor.hpp"
#include "platform/fake/fake_mouse_input.hpp"
#include "platform/fake/fake_notification_transport.hpp"
#include "platform/fake/fake_url_opener.hpp"
#include "platform/fake/in_memory_user_defaults.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "platform/fake/manual_work_queue.hpp"
#include "platform/fake/recording_log_sink.hpp"
#include "platform/fake/recording_sound_player.hpp"
#include "platform/fake/scripted_file_chooser.hpp"
#include "services/analytics_manager.hpp"
#include "services/audio_manager.hpp"
#include "services/notification_manager.hpp"
#include "services/recording_analytics_client.hpp"
#include "services/storage_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "session/view_model_services.hpp"
#include "support/temp_home.hpp"

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace clicktrove::testing {

// Every service of the view model as a fake, on one FakeClock that the main queue and the engine's queue
// share; the files live in a temporary home. The input permission is granted and a notification server is
// present unless a test says otherwise before make().
class ViewModelRig {
public:
    ViewModelRig();
    ~ViewModelRig();

    ViewModelServices services();
    // Builds the view model and waits for its first permission answer (the check runs on a worker thread).
    std::unique_ptr<AutoClickerViewModel> make();

    // Moves time on in 1 ms steps; at each, due main-queue work runs, then due engine ticks, then what they
    // posted to the main queue.
    void advance(std::chrono::nanoseconds delta);
    // Runs what is posted to the main queue now.
    void drain();
    // Drains until the view model's permission flag reads `expected` (the worker answers in its own time).
    bool waitForPermission(AutoClickerViewModel& viewModel, bool expected);

    int settingsWrites() const;
    std::filesystem::path appFolder() const { return home.dataHome() / "Clicktrove"; }
    std::filesystem::path presetsFile() const { return appFolder() / StorageManager::kPresetsFileName; }
    // Button-down events posted so far.
    std::vector<platform::MouseEvent> presses() const;

    TempHome home;
    platform::FakeClock clock;
    platform::ManualMainQueue mainQueue{clock};
    platform::ManualWorkQueue engineQueue{clock};
    platform::FakeMouseInput mouse{clock};
    std::shared_ptr<platform::FakeInputPermission> permission = std::make_shared<platform::FakeInputPermission>();
    platform::FakeUrlOpener urlOpener;
    platform::FakeKeyPressMonitor keys;
    platform::FakeMouseButtonMonitor buttons;
    platform::ScriptedFileChooser chooser;
    platform::InMemoryUserDefaults defaults;
    platform::FakeLoginItem loginItem;
    platform::FakeActivationPolicy activationPolicy;
    std::shared_ptr<platform::RecordingLogSink> log = std::make_shared<platform::RecordingLogSink>();
    StorageManager storage{appFolder(), defaults, mainQueue, chooser, clock};
    std::shared_ptr<RecordingAnalyticsClient> analyticsClient = std::make_shared<RecordingAnalyticsClient>();
    AnalyticsManager analytics{analyticsClient};
    std::shared_ptr<platform::RecordingSoundPlayer> sounds = std::make_shared<platform::RecordingSoundPlayer>();
    AudioManager audio{sounds};
    platform::FakeNotificationTransport* notificationTransport = nullptr;
    std::unique_ptr<NotificationManager> notifications;
};

// A gtest fixture holding a rig and a view model made from it.
class ViewModelTest : public ::testing::Test {
protected:
    void SetUp() override { vm = rig.make(); }

    // A configuration for quick runs: 100 ms apart at a fixed point, no corner stop.
    ClickConfig quickConfig() const;
    // Starts a run and lets the two-second countdown pass; the engine has started when it returns.
    void startAndPassCountdown();

    ViewModelRig rig;
    std::unique_ptr<AutoClickerViewModel> vm;
};

}  // namespace clicktrove::testing
