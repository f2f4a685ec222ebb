#include "session/view_model_services.hpp"

#include "platform/clock.hpp"
#include "platform/qt/qt_file_chooser.hpp"
#include "platform/qt/qt_main_queue.hpp"
#include "platform/qt/qt_url_opener.hpp"
#include "platform/qt/x11_mouse_button_monitor.hpp"
#include "platform/x11/x11_input_permission.hpp"
#include "platform/x11/x11_key_press_monitor.hpp"
#include "platform/x11/x11_mouse_input.hpp"
#include "services/analytics_manager.hpp"
#include "services/audio_manager.hpp"
#include "services/notification_manager.hpp"
#include "services/settings_manager.hpp"
#include "services/storage_manager.hpp"

namespace clicktrove {

ViewModelServices ViewModelServices::makeReal() {
    ViewModelServices s;
    s.mainQueue = std::make_shared<platform::QtMainQueue>();
    s.clock = borrow<const platform::Clock>(platform::SystemClock::instance());
    auto mouseInput = std::make_shared<platform::X11MouseInput>();
    s.mouseInput = mouseInput;
    // The button monitor reads the pointer through the input layer, so it keeps that alive.
    auto* buttonMonitor = new platform::X11MouseButtonMonitor(*mouseInput);
    s.mouseMonitor = std::shared_ptr<platform::MouseButtonMonitor>(
        buttonMonitor, [mouseInput](platform::MouseButtonMonitor* monitor) { delete monitor; });
    s.keyMonitor = std::make_shared<platform::X11KeyPressMonitor>();
    s.inputPermission = std::make_shared<platform::X11InputPermission>();
    s.urlOpener = std::make_shared<platform::QtUrlOpener>();
    s.fileChooser = std::make_shared<platform::QtFileChooser>();

    // The settings' own process-wide platform objects, so that one activation policy and one login item exist.
    const SettingsManager::Services settings = SettingsManager::systemServices();
    s.standardDefaults = borrow(settings.defaults);
    s.loginItem = borrow(settings.loginItem);
    s.activationPolicy = borrow(settings.activationPolicy);
    s.log = settings.log;

    s.storage = borrow(StorageManager::shared());
    s.analytics = borrow(AnalyticsManager::shared());
    s.audio = borrow(AudioManager::shared());
    s.notifications = []() -> NotificationManager& { return NotificationManager::shared(); };
    return s;
}

}  // namespace clicktrove
