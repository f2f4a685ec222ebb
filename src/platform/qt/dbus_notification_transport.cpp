#include "platform/qt/dbus_notification_transport.hpp"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>
#include <utility>

namespace clicktrove::platform {

namespace {

constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr const char* kBusService = "org.freedesktop.DBus";
constexpr const char* kBusPath = "/org/freedesktop/DBus";

QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

// Watchers are children of the transport: destroying it drops pending answers instead of calling into a
// handler whose owner is gone.
template <typename Handler>
void watch(QObject* owner, const QDBusPendingCall& call, Handler handler) {
    auto* watcher = new QDBusPendingCallWatcher(call, owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [handler = std::move(handler)](QDBusPendingCallWatcher* finished) {
                         finished->deleteLater();
                         handler(*finished);
                     });
}

}  // namespace

DBusNotificationTransport::DBusNotificationTransport(QDBusConnection connection, QObject* parent)
    : QObject(parent), connection_(std::move(connection)) {}

DBusNotificationTransport::~DBusNotificationTransport() = default;

void DBusNotificationTransport::checkServer(ServerHandler onAnswer) {
    auto hasOwner = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, "NameHasOwner");
    hasOwner << QString::fromLatin1(kService);
    watch(this, connection_.asyncCall(hasOwner), [this, onAnswer = std::move(onAnswer)](QDBusPendingCall& call) {
        const QDBusPendingReply<bool> owned = call;
        if (owned.isError()) {
            onAnswer(false);  // no session bus: nobody could show a notification
            return;
        }
        if (owned.value()) {
            onAnswer(true);
            return;
        }
        // Many desktops start their notification daemon on the first Notify through bus activation, so no
        // one owns the name until then.
        const auto list = QDBusMessage::createMethodCall(kBusService, kBusPath, kBusService, "ListActivatableNames");
        watch(this, connection_.asyncCall(list), [onAnswer](QDBusPendingCall& listCall) {
            const QDBusPendingReply<QStringList> names = listCall;
            onAnswer(!names.isError() && names.value().contains(QString::fromLatin1(kService)));
        });
    });
}

void DBusNotificationTransport::send(const Notification& notification, SendHandler onDone) {
    auto notify = QDBusMessage::createMethodCall(kService, kPath, kService, "Notify");
    QVariantMap hints;
    if (!notification.soundName.empty()) hints.insert(QStringLiteral("sound-name"), toQString(notification.soundName));
    notify << QStringLiteral("Clicktrove")   // app_name
           << 0u                             // replaces_id: a new notification
           << QString()                      // app_icon
           << toQString(notification.title)  // summary
           << toQString(notification.body)   // body
           << QStringList()                  // actions
           << hints                          // hints
           << -1;                            // expire_timeout: the server's default
    watch(this, connection_.asyncCall(notify), [onDone = std::move(onDone)](QDBusPendingCall& call) {
        if (!call.isError()) {
            onDone(std::nullopt);
            return;
        }
        const QDBusError error = call.error();
        onDone((error.message().isEmpty() ? error.name() : error.message()).toStdString());
    });
}

}  // namespace clicktrove::platform
