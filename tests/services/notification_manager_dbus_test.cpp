#include "services/notification_manager.hpp"

#include "platform/fake/recording_log_sink.hpp"
#include "platform/qt/dbus_notification_transport.hpp"
#include "support/session_bus.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDeadlineTimer>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace clicktrove {
namespace {

// Runs the event loop until pred holds; the deadline only keeps a broken test from hanging.
template <typename Pred>
bool waitUntil(Pred pred) {
    QDeadlineTimer deadline(30000);
    while (!pred()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

// A desktop notification server on its own bus connection, as a notification daemon would be.
class NotificationServer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Received {
        QString appName;
        uint replacesId;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout;
    };

    NotificationServer() : connection_(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "server")) {}
    ~NotificationServer() override {
        connection_.unregisterService(platform::DBusNotificationTransport::kService);
        connection_.unregisterObject("/org/freedesktop/Notifications");
        QDBusConnection::disconnectFromBus("server");
    }

    bool start() {
        return connection_.registerObject("/org/freedesktop/Notifications", this, QDBusConnection::ExportAllSlots) &&
               connection_.registerService(platform::DBusNotificationTransport::kService);
    }

    std::vector<Received> received;
    QString failWith;  // when set, every Notify is answered with this error

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout) {
        Q_UNUSED(appIcon);
        received.push_back({appName, replacesId, summary, body, actions, hints, timeout});
        if (!failWith.isEmpty()) {
            sendErrorReply(QDBusError::Failed, failWith);
            return 0;
        }
        return static_cast<uint>(received.size());
    }

private:
    QDBusConnection connection_;
};

// The real D-Bus transport, counted, so a test can wait for the server check and see whether anything was sent.
class CountingTransport final : public platform::NotificationTransport {
public:
    explicit CountingTransport(QDBusConnection connection = QDBusConnection::connectToBus(QDBusConnection::SessionBus,
                                                                                          "client"))
        : inner_(connection), name_(connection.name()) {}
    ~CountingTransport() override { QDBusConnection::disconnectFromBus(name_); }

    void checkServer(ServerHandler onAnswer) override {
        inner_.checkServer([this, onAnswer](bool present) {
            ++answers;
            onAnswer(present);
        });
    }
    void send(const Notification& notification, SendHandler onDone) override {
        ++sends;
        inner_.send(notification, [this, onDone](std::optional<std::string> error) {
            ++completions;
            onDone(std::move(error));
        });
    }

    int answers = 0;
    int sends = 0;
    int completions = 0;

private:
    platform::DBusNotificationTransport inner_;
    QString name_;
};

class NotificationManagerBusTest : public ::testing::Test {
protected:
    // The manager, once its server check has answered.
    std::unique_ptr<NotificationManager> createManager(
        std::unique_ptr<CountingTransport> owned = std::make_unique<CountingTransport>()) {
        transport = owned.get();
        auto manager = std::make_unique<NotificationManager>(std::move(owned), log);
        EXPECT_TRUE(waitUntil([this] { return transport->answers == 1; }));
        return manager;
    }

    std::shared_ptr<platform::RecordingLogSink> log = std::make_shared<platform::RecordingLogSink>();
    CountingTransport* transport = nullptr;
};

TEST_F(NotificationManagerBusTest, TheServerReceivesTheExactCompletionTexts) {
    NotificationServer server;
    ASSERT_TRUE(server.start());
    // As the shared manager is used: created and asked to post at once, before the server check answers.
    auto owned = std::make_unique<CountingTransport>();
    transport = owned.get();
    NotificationManager manager(std::move(owned), log);

    const struct {
        std::int64_t clicks;
        double duration;
        const char* body;
    } cases[] = {
        {120, 59.9, "Finished simulating 120 clicks over a duration of 59s."},
        {1, 60.0, "Finished simulating 1 clicks over a duration of 1m 0s."},
        {37254, 3725.4, "Finished simulating 37254 clicks over a duration of 62m 5s."},
    };
    manager.sendCompletionNotification(cases[0].clicks, cases[0].duration);
    ASSERT_TRUE(waitUntil([&] { return transport->answers == 1; }));
    ASSERT_TRUE(manager.isAuthorized());
    for (const auto& c : {cases[1], cases[2]}) manager.sendCompletionNotification(c.clicks, c.duration);
    ASSERT_TRUE(waitUntil([&] { return transport->completions == 3; }));

    ASSERT_EQ(server.received.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& got = server.received[i];
        EXPECT_EQ(got.summary, "Clicktrove Complete");
        EXPECT_EQ(got.body, cases[i].body);
        EXPECT_EQ(got.appName, "Clicktrove");
        EXPECT_EQ(got.replacesId, 0u) << "each run gets a notification of its own";
        EXPECT_TRUE(got.actions.isEmpty());
        EXPECT_EQ(got.hints.value("sound-name").toString(), "message-new-instant");
        EXPECT_EQ(got.timeout, -1);
    }
    EXPECT_TRUE(log->lines().empty());
}

// The shared manager is made by the same factory, once, on the session bus of the process.
TEST_F(NotificationManagerBusTest, TheStandardManagerPostsToTheSessionBusServer) {
    NotificationServer server;
    ASSERT_TRUE(server.start());
    const auto manager = NotificationManager::makeStandard();
    ASSERT_NE(manager.get(), nullptr);
    manager->sendCompletionNotification(7, 3.0);
    ASSERT_TRUE(waitUntil([&] { return server.received.size() == 1; }));
    EXPECT_TRUE(manager->isAuthorized());
    EXPECT_EQ(server.received[0].body, "Finished simulating 7 clicks over a duration of 3s.");
}

TEST_F(NotificationManagerBusTest, WithoutAServerNothingIsSentOrLoggedEvenIfOneAppearsLater) {
    auto manager = createManager();
    EXPECT_FALSE(manager->isAuthorized());

    NotificationServer lateServer;
    ASSERT_TRUE(lateServer.start());
    manager->sendCompletionNotification(10, 5.0);
    EXPECT_EQ(transport->sends, 0);
    EXPECT_TRUE(log->lines().empty());

    // Asking again sees the new server.
    manager->requestAuthorization();
    ASSERT_TRUE(waitUntil([this] { return transport->answers == 2; }));
    EXPECT_TRUE(manager->isAuthorized());
}

TEST_F(NotificationManagerBusTest, AnErrorReplyIsLoggedWithItsDescription) {
    NotificationServer server;
    server.failWith = "Notification store is full";
    ASSERT_TRUE(server.start());
    auto manager = createManager();
    ASSERT_TRUE(manager->isAuthorized());

    manager->sendCompletionNotification(5, 2.0);
    ASSERT_TRUE(waitUntil([this] { return transport->completions == 1; }));
    EXPECT_EQ(log->lines(),
              std::vector<std::string>{"Clicktrove: Failed to send notification: Notification store is full"});
}

// Desktops whose notification daemon the bus starts on the first Notify: nobody owns the name beforehand,
// yet notifications are expected. Here the daemon cannot start, so the bus answers with an error.
TEST_F(NotificationManagerBusTest, ADaemonTheBusStartsOnDemandCountsAsAServer) {
    clicktrove::testing::TempHome home;
    clicktrove::testing::writeFile(home.dataHome() / "dbus-1/services/org.freedesktop.Notifications.service",
                                   "[D-BUS Service]\nName=org.freedesktop.Notifications\n"
                                   "Exec=/nonexistent/clicktrove-test-notification-daemon\n");
    clicktrove::testing::SessionBus bus;  // reads its service folders from the XDG directories set above
    ASSERT_TRUE(bus.start());
    auto manager = createManager(std::make_unique<CountingTransport>(
        QDBusConnection::connectToBus(QString::fromStdString(bus.address()), "activating")));
    ASSERT_TRUE(manager->isAuthorized());

    manager->sendCompletionNotification(5, 2.0);
    ASSERT_TRUE(waitUntil([this] { return transport->completions == 1; }));
    ASSERT_EQ(log->lines().size(), 1u);
    const std::string prefix = "Clicktrove: Failed to send notification: ";
    EXPECT_EQ(log->lines()[0].substr(0, prefix.size()), prefix);
    EXPECT_GT(log->lines()[0].size(), prefix.size()) << "the description follows";
}

}  // namespace
}  // namespace clicktrove

#include "notification_manager_dbus_test.moc"
