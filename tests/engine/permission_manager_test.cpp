#include "engine/permission_manager.hpp"
#include "permission_test_support.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_input_permission.hpp"
#include "platform/fake/fake_url_opener.hpp"
#include "platform/fake/manual_main_queue.hpp"

#include <gtest/gtest.h>
#include <QFileInfo>
#include <QUrl>
#include <memory>
#include <vector>

using namespace std::chrono_literals;
using clicktrove::PermissionManager;
using clicktrove::platform::FakeClock;
using clicktrove::platform::FakeInputPermission;
using clicktrove::platform::FakeUrlOpener;
using clicktrove::testing::CountingMainQueue;
using clicktrove::testing::kAnswerSurelyComes;
using clicktrove::testing::Published;
using clicktrove::testing::runOnePoll;
using clicktrove::testing::settleConstruction;

class PermissionManagerTest : public ::testing::Test {
protected:
    // The checks of these tests answer at once, so the UI thread may wait for them as long as it takes.
    std::unique_ptr<PermissionManager> make(std::chrono::milliseconds answerWait = kAnswerSurelyComes) {
        return std::make_unique<PermissionManager>(permission, queue, opener, clock, nullptr, answerWait);
    }

    FakeClock clock;
    CountingMainQueue queue{clock};
    FakeUrlOpener opener;
    std::shared_ptr<FakeInputPermission> permission = std::make_shared<FakeInputPermission>();
};

TEST_F(PermissionManagerTest, FlagIsTheAnswerAtConstructionAndFollowsLaterPolls) {
    struct Case {
        const char* name;
        bool atStart;
    };
    for (const Case c : {Case{"granted at start", true}, Case{"missing at start", false}}) {
        SCOPED_TRACE(c.name);
        permission->setAnswer(c.atStart);
        auto manager = make();
        EXPECT_EQ(manager->hasAccessibilityPermission(), c.atStart) << "known before the first poll";
        Published spy(*manager);

        ASSERT_TRUE(runOnePoll(queue));
        ASSERT_TRUE(runOnePoll(queue));
        EXPECT_EQ(spy.count(), 0u) << "polls with the same answer publish nothing";

        permission->setAnswer(!c.atStart);
        ASSERT_TRUE(runOnePoll(queue));
        EXPECT_EQ(manager->hasAccessibilityPermission(), !c.atStart) << "the first poll after the change";
        ASSERT_EQ(spy.count(), 1u);
        EXPECT_EQ(spy.values[0], !c.atStart);

        ASSERT_TRUE(runOnePoll(queue));
        EXPECT_EQ(spy.count(), 1u);
        manager.reset();
        queue.drain();
    }
}

TEST_F(PermissionManagerTest, CheckPermissionAnswersAtOnceAndWritesOnlyChanges) {
    auto manager = make();
    Published spy(*manager);
    manager->checkPermission();
    EXPECT_EQ(spy.count(), 0u);

    permission->setAnswer(true);
    manager->checkPermission();
    EXPECT_TRUE(manager->hasAccessibilityPermission()) << "without waiting for the poll";
    EXPECT_EQ(spy.count(), 1u);
    queue.drain();
    EXPECT_EQ(spy.count(), 1u);
}

TEST_F(PermissionManagerTest, OnePollTimerHowEverOftenMonitoringStartsAndNoneAfterStop) {
    auto manager = make();
    EXPECT_EQ(queue.pendingDelayed(), 1u);
    manager->startMonitoring();
    manager->startMonitoring();
    EXPECT_EQ(queue.pendingDelayed(), 1u);
    const int before = permission->checks();
    ASSERT_TRUE(runOnePoll(queue));
    EXPECT_EQ(permission->checks(), before + 1) << "one check per second, not one per start";

    manager->stopMonitoring();
    EXPECT_EQ(queue.pendingDelayed(), 0u);
    permission->setAnswer(true);
    queue.advance(5s);
    EXPECT_FALSE(manager->hasAccessibilityPermission());

    manager->startMonitoring();
    ASSERT_TRUE(runOnePoll(queue));
    EXPECT_TRUE(manager->hasAccessibilityPermission());
    manager.reset();
    EXPECT_EQ(queue.pendingDelayed(), 0u) << "destruction ends the poll";
}

TEST_F(PermissionManagerTest, HungDisplayNeverBlocksAndReadsAsNoPermission) {
    permission->setAnswer(true);
    auto manager = make(PermissionManager::immediateWait);
    ASSERT_TRUE(settleConstruction(queue));
    ASSERT_TRUE(manager->hasAccessibilityPermission());
    Published spy(*manager);

    permission->hold();
    queue.advance(1s);  // this poll's check hangs
    permission->waitUntilBlocked();
    manager->checkPermission();  // returns: a check in flight is not waited for past the short wait
    queue.advance(5s);           // every call here returns at once
    EXPECT_FALSE(manager->hasAccessibilityPermission());
    EXPECT_EQ(spy.count(), 1u);

    permission->release();
    ASSERT_TRUE(runOnePoll(queue));
    queue.advance(1s);
    EXPECT_TRUE(manager->hasAccessibilityPermission()) << "the late answer, once it comes, counts";
}

TEST_F(PermissionManagerTest, OpenSystemSettingsOpensTheShippedHelpPage) {
    auto manager = make();
    manager->openSystemSettings();
    ASSERT_EQ(opener.opened().size(), 1u);
    const QUrl url(QString::fromStdString(opener.opened()[0]));
    EXPECT_TRUE(url.isLocalFile()) << opener.opened()[0];
    EXPECT_TRUE(url.toLocalFile().endsWith("clicktrove/input-permission.html"));
    EXPECT_TRUE(QFileInfo::exists(url.toLocalFile()));
    EXPECT_FALSE(manager->hasAccessibilityPermission()) << "opening the page changes nothing";
}
