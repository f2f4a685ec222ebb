#pragma once

#include "platform/notification_transport.hpp"

#include <QObject>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace clicktrove {

namespace platform {
class LogSink;
}  // namespace platform

// Posts the desktop notification that a clicking run has completed. Notifications are posted only while the
// desktop is known to have a notification server: that is asked once, when the manager is created (the
// answer arrives later), and again on requestAuthorization or checkAuthorizationStatus. Main thread only.
class NotificationManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isAuthorized READ isAuthorized NOTIFY isAuthorizedChanged)
public:
    // An instance on the session bus that logs its failures to the system log, as the shared one does. Needs
    // the Qt application object.
    static std::unique_ptr<NotificationManager> makeStandard();
    // The process-wide instance, made by makeStandard() on first use and kept until the process ends.
    static NotificationManager& shared();

    // An instance over the given transport; failures are written to log. Starts the server check.
    NotificationManager(std::unique_ptr<platform::NotificationTransport> transport,
                        std::shared_ptr<platform::LogSink> log, QObject* parent = nullptr);
    ~NotificationManager() override;

    bool isAuthorized() const { return isAuthorized_; }

    // Posts "Clicktrove Complete" with the clicks and the duration (seconds) while authorised; else nothing.
    // Called before the first server check has answered, it waits for that answer.
    void sendCompletionNotification(std::int64_t totalClicks, double duration);
    // Posts a notice of the program's own ("Clicktrove" and the text, no sound) on the same terms, for what the
    // user must learn while the main window is out of sight.
    void sendNotice(const std::string& text);
    // Nothing to grant on this desktop: both ask again whether a notification server is there.
    void requestAuthorization();
    void checkAuthorizationStatus();

    static constexpr const char* kTitle = "Clicktrove Complete";
    static constexpr const char* kNoticeTitle = "Clicktrove";
    static constexpr const char* kSoundName = "message-new-instant";
    static constexpr const char* kFailurePrefix = "Clicktrove: Failed to send notification: ";

    // "45s" below a minute, else whole minutes and the remaining seconds ("2m 5s", "120m 0s").
    static std::string durationText(double duration);
    static std::string completionBody(std::int64_t totalClicks, double duration);

signals:
    void isAuthorizedChanged(bool isAuthorized);

private:
    void setAuthorized(bool authorized);
    // Posts while authorised, else drops; before the first server check has answered, waits for the answer.
    void send(platform::NotificationTransport::Notification notification);
    void post(const platform::NotificationTransport::Notification& notification);

    std::unique_ptr<platform::NotificationTransport> transport_;
    std::shared_ptr<platform::LogSink> log_;
    bool isAuthorized_ = false;
    // The shared manager comes into being with the first completion, before any answer could arrive; that
    // notification is held for the answer instead of being lost.
    bool answered_ = false;
    std::vector<platform::NotificationTransport::Notification> waiting_;
    // Only the answer to the newest check counts; an older one arriving late must not overwrite it.
    std::uint64_t checkGeneration_ = 0;
};

}  // namespace clicktrove
