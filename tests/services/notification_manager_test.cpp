#include "services/notification_manager.hpp"

#include "platform/fake/fake_notification_transport.hpp"
#include "platform/fake/recording_log_sink.hpp"

#include <gtest/gtest.h>
#include <limits>

namespace clicktrove {
namespace {

using platform::FakeNotificationTransport;
using platform::RecordingLogSink;

TEST(NotificationManagerText, DurationIsSecondsBelowAMinuteElseWholeMinutesAndSeconds) {
    const struct {
        double duration;
        const char* text;
    } cases[] = {
        {0.0, "0s"},         {45.0, "45s"},    {59.9, "59s"},
        {60.0, "1m 0s"},     {125.0, "2m 5s"}, {3725.4, "62m 5s"},
        {7200.0, "120m 0s"}, {-1.0, "0s"},     {std::numeric_limits<double>::quiet_NaN(), "0s"},
    };
    for (const auto& c : cases) EXPECT_EQ(NotificationManager::durationText(c.duration), c.text) << c.duration;
    EXPECT_EQ(NotificationManager::completionBody(1, 60.0), "Finished simulating 1 clicks over a duration of 1m 0s.");
    EXPECT_EQ(NotificationManager::completionBody(1234567, 0.5),
              "Finished simulating 1234567 clicks over a duration of 0s.");
}

class NotificationManagerTest : public ::testing::Test {
protected:
    NotificationManagerTest() {
        auto owned = std::make_unique<FakeNotificationTransport>();
        transport = owned.get();
        manager = std::make_unique<NotificationManager>(std::move(owned), log);
    }

    std::shared_ptr<RecordingLogSink> log = std::make_shared<RecordingLogSink>();
    FakeNotificationTransport* transport = nullptr;
    std::unique_ptr<NotificationManager> manager;
};

TEST_F(NotificationManagerTest, PostsOnceTheServerCheckSaysYes) {
    int changes = 0;
    QObject::connect(manager.get(), &NotificationManager::isAuthorizedChanged, [&changes] { ++changes; });
    ASSERT_EQ(transport->pendingChecks(), 1u) << "creation asks at once";
    EXPECT_FALSE(manager->isAuthorized());

    transport->answerCheck(true);
    EXPECT_TRUE(manager->isAuthorized());
    EXPECT_EQ(changes, 1);

    manager->sendCompletionNotification(250, 125.7);
    ASSERT_EQ(transport->sent().size(), 1u);
    EXPECT_EQ(transport->sent()[0].title, "Clicktrove Complete");
    EXPECT_EQ(transport->sent()[0].body, "Finished simulating 250 clicks over a duration of 2m 5s.");
    EXPECT_EQ(transport->sent()[0].soundName, "message-new-instant");
    transport->completeSend();
    EXPECT_TRUE(log->lines().empty());
}

// The shared manager is created by the first completion itself, so that one comes before any answer.
TEST_F(NotificationManagerTest, ACompletionBeforeTheFirstAnswerWaitsForIt) {
    manager->sendCompletionNotification(7, 61.0);
    EXPECT_TRUE(transport->sent().empty()) << "nothing is posted before the answer";
    transport->answerCheck(true);
    ASSERT_EQ(transport->sent().size(), 1u);
    EXPECT_EQ(transport->sent()[0].body, "Finished simulating 7 clicks over a duration of 1m 1s.");
}

TEST_F(NotificationManagerTest, NoServerMeansNothingPostedAndNothingLogged) {
    manager->sendCompletionNotification(10, 5.0);  // waiting for the answer
    transport->answerCheck(false);
    manager->sendCompletionNotification(10, 5.0);
    EXPECT_TRUE(transport->sent().empty());
    EXPECT_TRUE(log->lines().empty());
}

TEST_F(NotificationManagerTest, FailedDeliveryLogsOneLineAndIsNotRetried) {
    transport->answerCheck(true);
    manager->sendCompletionNotification(3, 1.0);
    transport->completeSend("Too many notifications");
    EXPECT_EQ(log->lines(),
              std::vector<std::string>{"Clicktrove: Failed to send notification: Too many notifications"});
    EXPECT_EQ(transport->sent().size(), 1u);
    EXPECT_EQ(transport->pendingSends(), 0u);
}

TEST_F(NotificationManagerTest, ReCheckingFollowsTheNewestAnswerOnly) {
    transport->answerCheck(true);
    manager->requestAuthorization();
    manager->checkAuthorizationStatus();
    ASSERT_EQ(transport->pendingChecks(), 2u);
    transport->answerCheck(true);  // stale: a newer check is under way
    EXPECT_TRUE(manager->isAuthorized());
    transport->answerCheck(false);
    EXPECT_FALSE(manager->isAuthorized()) << "the server went away";
    manager->sendCompletionNotification(1, 1.0);
    EXPECT_EQ(transport->sent().size(), 0u);
}

}  // namespace
}  // namespace clicktrove
