#pragma once

#include <functional>
#include <memory>

namespace clicktrove {

class AnalyticsManager;
class AudioManager;
class NotificationManager;
class StorageManager;

namespace platform {
class ActivationPolicy;
class Clock;
class FileChooser;
class InputPermission;
class KeyPressMonitor;
class LogSink;
class LoginItem;
class MainQueue;
class MouseButtonMonitor;
class MouseInput;
class RandomSource;
class UrlOpener;
class UserDefaults;
class WorkQueue;
}  // namespace platform

// Everything the session view model reaches outside itself, chosen in one place: makeReal() for the
// application, a test rig of fakes for tests. The view model keeps this struct for its whole life, so the
// pointers keep what they own alive; process-wide instances are held without ownership.
struct ViewModelServices {
    std::shared_ptr<platform::MainQueue> mainQueue;
    std::shared_ptr<const platform::Clock> clock;
    // The pointer: the engine's clicks, macro playback, cursor readings and the screens.
    std::shared_ptr<platform::MouseInput> mouseInput;
    // The engine's serial queue and random source; null for the engine's own thread and the secure source.
    std::shared_ptr<platform::WorkQueue> engineQueue;
    std::shared_ptr<platform::RandomSource> random;
    std::shared_ptr<platform::InputPermission> inputPermission;
    std::shared_ptr<platform::UrlOpener> urlOpener;
    std::shared_ptr<platform::KeyPressMonitor> keyMonitor;
    std::shared_ptr<platform::MouseButtonMonitor> mouseMonitor;
    std::shared_ptr<platform::FileChooser> fileChooser;
    // The standard user defaults (settings record); the storage below keeps its own reference to the same.
    std::shared_ptr<platform::UserDefaults> standardDefaults;
    std::shared_ptr<platform::LoginItem> loginItem;
    std::shared_ptr<platform::ActivationPolicy> activationPolicy;
    std::shared_ptr<platform::LogSink> log;
    std::shared_ptr<StorageManager> storage;
    std::shared_ptr<AnalyticsManager> analytics;
    std::shared_ptr<AudioManager> audio;
    // Called at the first completion notification: the notification manager asks the desktop for its
    // notification server when it is created, so it is created only when first needed.
    std::function<NotificationManager&()> notifications;

    // The application's: X11 input and monitors on $DISPLAY, the Qt main loop and dialogs, the system clock,
    // the standard user defaults, XDG autostart, and the shared storage, analytics, audio and notification
    // managers. Needs the QApplication; main thread only.
    static ViewModelServices makeReal();

    // A shared_ptr that does not own: for objects that outlive every user (process-wide instances, test
    // fixtures).
    template <class T>
    static std::shared_ptr<T> borrow(T& object) {
        return std::shared_ptr<T>(std::shared_ptr<T>(), &object);
    }
};

}  // namespace clicktrove
