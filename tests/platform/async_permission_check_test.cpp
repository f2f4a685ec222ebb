#include "platform/async_permission_check.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_input_permission.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "support/wait_until.hpp"

#include <gtest/gtest.h>
#include <chrono>
#include <memory>
#include <vector>

using namespace std::chrono_literals;
using clicktrove::platform::AsyncPermissionCheck;
using clicktrove::platform::FakeClock;
using clicktrove::platform::FakeInputPermission;
using clicktrove::platform::ManualMainQueue;
using clicktrove::testing::waitUntil;

namespace {
// The worker answers on its own schedule; wait (generously) until its answer has been posted.
bool waitForPosted(ManualMainQueue& queue, std::size_t count = 1) {
    return waitUntil([&] { return queue.pendingPosted() >= count; });
}
}  // namespace

class AsyncPermissionCheckTest : public ::testing::Test {
protected:
    AsyncPermissionCheckTest() {
        check.setListener([this](bool answer) { answers.push_back(answer); });
    }
    ~AsyncPermissionCheckTest() override { permission->release(); }

    FakeClock clock;
    ManualMainQueue queue{clock};
    std::shared_ptr<FakeInputPermission> permission = std::make_shared<FakeInputPermission>();
    AsyncPermissionCheck check{permission, queue, clock, 2s};
    std::vector<bool> answers;
};

TEST_F(AsyncPermissionCheckTest, AnswersReachTheListenerOnTheMainQueue) {
    permission->setAnswer(true);
    check.request();
    ASSERT_TRUE(waitForPosted(queue));
    EXPECT_TRUE(answers.empty()) << "nothing runs off the main queue";
    queue.drain();
    EXPECT_EQ(answers, std::vector<bool>{true});

    permission->setAnswer(false);
    check.request();
    ASSERT_TRUE(waitForPosted(queue));
    queue.drain();
    EXPECT_EQ(answers, (std::vector<bool>{true, false}));
}

TEST_F(AsyncPermissionCheckTest, HungCheckNeverBlocksAndReportsFalseOnceAfterTheTimeout) {
    permission->setAnswer(true);
    permission->hold();
    check.request();
    permission->waitUntilBlocked();

    // Polls while the check hangs return at once and start no second check.
    check.request();
    clock.advance(1s);
    check.request();
    EXPECT_TRUE(answers.empty());
    EXPECT_FALSE(check.checkNow(10ms).has_value()) << "a check in progress is not answered early";
    EXPECT_EQ(permission->checks(), 1);

    clock.advance(1500ms);
    check.request();
    check.request();
    clock.advance(5s);
    check.request();
    EXPECT_EQ(answers, std::vector<bool>{false}) << "an unanswering display takes no input, said once";
    EXPECT_FALSE(check.checkNow(1h).has_value()) << "a stuck check is not waited for";

    // When the display finally answers, that answer counts; the check asked for meanwhile follows it.
    permission->release();
    ASSERT_TRUE(waitForPosted(queue, 2));
    queue.drain();
    EXPECT_EQ(answers, (std::vector<bool>{false, true, true}));
    EXPECT_EQ(permission->checks(), 2);
}

TEST_F(AsyncPermissionCheckTest, CheckNowAnswersAndAStalerQueuedAnswerIsDropped) {
    permission->setAnswer(false);
    check.request();
    ASSERT_TRUE(waitForPosted(queue));  // the poll's "false" waits on the main queue

    permission->setAnswer(true);
    EXPECT_EQ(check.checkNow(30s), std::optional<bool>(true));
    queue.drain();
    EXPECT_TRUE(answers.empty()) << "neither the older poll nor the duplicate of checkNow is handed out";
}

TEST(AsyncPermissionCheckLifetime, DestroyingWhileACheckHangsReturnsAndDropsItsAnswer) {
    FakeClock clock;
    ManualMainQueue queue(clock);
    auto permission = std::make_shared<FakeInputPermission>();
    permission->hold();
    int heard = 0;
    {
        AsyncPermissionCheck check(permission, queue, clock);
        check.setListener([&](bool) { ++heard; });
        check.request();
        permission->waitUntilBlocked();
    }
    permission->release();
    // The detached worker finishes on its own and posts nothing once its owner is gone.
    waitUntil([&] { return permission.use_count() <= 1; });
    EXPECT_EQ(permission.use_count(), 1) << "the worker let go of the check";
    queue.drain();
    EXPECT_EQ(heard, 0);
}
