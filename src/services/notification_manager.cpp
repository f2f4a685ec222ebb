#include "services/notification_manager.hpp"

#include "platform/log_sink.hpp"
#include "platform/qt/dbus_notification_transport.hpp"
#include "platform/system_log_sink.hpp"

#include <cmath>
#include <utility>

namespace clicktrove {

std::unique_ptr<NotificationManager> NotificationManager::makeStandard() {
    return std::make_unique<NotificationManager>(std::make_unique<platform::DBusNotificationTransport>(),
                                                 platform::SystemLogSink::shared());
}

NotificationManager& NotificationManager::shared() {
    // Never destroyed: a QObject on the session bus must not outlive the Qt application in static teardown.
    static NotificationManager* const instance = makeStandard().release();
    return *instance;
}

NotificationManager::NotificationManager(std::unique_ptr<platform::NotificationTransport> transport,
                                         std::shared_ptr<platform::LogSink> log, QObject* parent)
    : QObject(parent), transport_(std::move(transport)), log_(std::move(log)) {
    checkAuthorizationStatus();
}

NotificationManager::~NotificationManager() = default;

void NotificationManager::checkAuthorizationStatus() {
    const std::uint64_t generation = ++checkGeneration_;
    transport_->checkServer([this, generation](bool serverPresent) {
        if (generation != checkGeneration_) return;
        answered_ = true;
        setAuthorized(serverPresent);
        auto waiting = std::move(waiting_);
        waiting_.clear();
        if (serverPresent) {
            for (const auto& notification : waiting) post(notification);
        }
    });
}

void NotificationManager::requestAuthorization() {
    checkAuthorizationStatus();
}

void NotificationManager::setAuthorized(bool authorized) {
    if (authorized == isAuthorized_) return;
    isAuthorized_ = authorized;
    emit isAuthorizedChanged(isAuthorized_);
}

std::string NotificationManager::durationText(double duration) {
    // Elapsed run times are finite and not negative; anything else shows as no time rather than as garbage.
    constexpr double kLimit = 9.0e18;
    const std::int64_t seconds =
        duration >= 0 && duration < kLimit ? static_cast<std::int64_t>(std::trunc(duration)) : 0;
    if (seconds < 60) return std::to_string(seconds) + "s";
    return std::to_string(seconds / 60) + "m " + std::to_string(seconds % 60) + "s";
}

std::string NotificationManager::completionBody(std::int64_t totalClicks, double duration) {
    return "Finished simulating " + std::to_string(totalClicks) + " clicks over a duration of " +
           durationText(duration) + ".";
}

void NotificationManager::sendCompletionNotification(std::int64_t totalClicks, double duration) {
    send({kTitle, completionBody(totalClicks, duration), kSoundName});
}

void NotificationManager::sendNotice(const std::string& text) {
    send({kNoticeTitle, text, std::string()});
}

void NotificationManager::send(platform::NotificationTransport::Notification notification) {
    if (!answered_) {
        waiting_.push_back(std::move(notification));
        return;
    }
    if (isAuthorized_) post(notification);
}

void NotificationManager::post(const platform::NotificationTransport::Notification& notification) {
    transport_->send(notification, [log = log_](std::optional<std::string> error) {
        if (error && log) log->write(kFailurePrefix + *error);
    });
}

}  // namespace clicktrove
