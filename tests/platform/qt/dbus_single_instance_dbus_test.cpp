#include "claim_while_serving.hpp"
#include "platform/qt/dbus_single_instance.hpp"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <optional>

using namespace std::chrono_literals;
using clicktrove::platform::DBusSingleInstance;
using clicktrove::testing::claimWhileServing;
using Claim = clicktrove::platform::SingleInstance::Claim;

namespace {

constexpr const char* kId = "org.example.clicktrove.TestInstance";

// Each instance of the test speaks on a connection of its own, as separate processes would.
QDBusConnection connection(const char* name) {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, QString::fromLatin1(name));
}

class DBusSingleInstanceTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const char* name : {"first", "second", "squatter"}) {
            QDBusConnection::disconnectFromBus(QString::fromLatin1(name));
        }
    }
};

TEST_F(DBusSingleInstanceTest, ALaterLaunchHandsOverWithItsStartupIdentifier) {
    DBusSingleInstance first(kId, "", 10s, connection("first"));
    std::optional<std::string> heard;
    first.onActivate = [&](const std::string& startupId) { heard = startupId; };
    ASSERT_EQ(first.claim(nullptr), Claim::primary);
    EXPECT_TRUE(connection("first").interface()->isServiceRegistered(kId));

    DBusSingleInstance second(kId, "launcher-7_TIME1234", 10s, connection("second"));
    bool secondHeard = false;
    second.onActivate = [&](const std::string&) { secondHeard = true; };
    EXPECT_EQ(claimWhileServing(second), Claim::handedOver);
    EXPECT_EQ(heard, "launcher-7_TIME1234");
    EXPECT_FALSE(secondHeard);
    EXPECT_EQ(connection("first").interface()->serviceOwner(kId).value(), connection("first").baseService())
        << "the instance keeps its name";
}

TEST_F(DBusSingleInstanceTest, TheNameGoesWithTheInstance) {
    {
        DBusSingleInstance first(kId, "", 10s, connection("first"));
        ASSERT_EQ(first.claim(nullptr), Claim::primary);
    }
    DBusSingleInstance second(kId, "", 10s, connection("second"));
    EXPECT_EQ(second.claim(nullptr), Claim::primary);
}

// An owner that answers no call (hung, or not this program) ends the launch after the wait, with a reason.
TEST_F(DBusSingleInstanceTest, AnOwnerThatDoesNotAnswerEndsTheWaitWithAReason) {
    QDBusConnection squatter = connection("squatter");
    ASSERT_TRUE(squatter.registerService(kId));
    DBusSingleInstance later(kId, "", 300ms, connection("second"));
    std::string error;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(later.claim(&error), Claim::unanswered);
    EXPECT_LT(elapsed.elapsed(), 10000);
    EXPECT_NE(error.find(kId), std::string::npos) << error;
    EXPECT_EQ(connection("second").objectRegisteredAt(DBusSingleInstance::objectPath(kId)), nullptr)
        << "a launch that ends offers nothing on the bus";
}

TEST_F(DBusSingleInstanceTest, WithoutABusNothingIsClaimed) {
    DBusSingleInstance instance(
        kId, "", 1s,
        QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nowhere")));
    std::string error;
    EXPECT_EQ(instance.claim(&error), Claim::unguarded);
    EXPECT_FALSE(error.empty());
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

TEST(DBusSingleInstancePath, FollowsTheApplicationId) {
    EXPECT_EQ(DBusSingleInstance::objectPath("org.example.clicktrove.Clicktrove"),
              "/org/example/clicktrove/Clicktrove");
    EXPECT_EQ(DBusSingleInstance::objectPath("org.example.my-app"), "/org/example/my_app");
}

}  // namespace
