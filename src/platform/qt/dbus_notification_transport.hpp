#pragma once

#include "platform/notification_transport.hpp"

#include <QDBusConnection>
#include <QObject>

namespace clicktrove::platform {

// Desktop notifications through the freedesktop notification service (org.freedesktop.Notifications) on a
// D-Bus connection, the session bus by default. Main thread only.
class DBusNotificationTransport final : public QObject, public NotificationTransport {
    Q_OBJECT
public:
    explicit DBusNotificationTransport(QDBusConnection connection = QDBusConnection::sessionBus(),
                                       QObject* parent = nullptr);
    ~DBusNotificationTransport() override;

    // Present when a server owns the service name now, or the bus can start one on demand.
    void checkServer(ServerHandler onAnswer) override;
    void send(const Notification& notification, SendHandler onDone) override;

    static constexpr const char* kService = "org.freedesktop.Notifications";

private:
    QDBusConnection connection_;
};

}  // namespace clicktrove::platform
