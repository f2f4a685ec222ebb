// The permission screen's buttons: the help page opens and nothing else changes; a fresh check publishes only a
// changed answer, at once and without waiting for the next poll.
#include "ui/screens/permission_overlay_view.hpp"

#include "engine/permission_manager.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_input_permission.hpp"
#include "platform/fake/fake_url_opener.hpp"
#include "platform/fake/manual_main_queue.hpp"
#include "support/temp_home.hpp"

#include <gtest/gtest.h>
#include <QLabel>
#include <QPushButton>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

class PermissionOverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Where the installed help page is looked up (the XDG data folders).
        writeFile(home.dataHome() / "clicktrove" / "input-permission.html", "<html></html>");
        permission->setAnswer(false);
        // A generous wait for the answer: a check asked for at once is answered before the click returns, so a
        // test sees its outcome and not a moment before it (the fake answers at once; the wait is for a busy
        // machine).
        manager = std::make_unique<PermissionManager>(permission, mainQueue, urlOpener, clock, nullptr, 30s);
        ASSERT_TRUE(settle(false));
        QObject::connect(manager.get(), &PermissionManager::hasAccessibilityPermissionChanged,
                         [this](bool value) { published.push_back(value); });
        view = std::make_unique<PermissionOverlayView>(*manager);
    }

    // Runs main-queue work, never moving the clock (so no poll runs), until the flag reads `expected`. A check
    // that missed its short wait answers through the main queue.
    bool settle(bool expected) {
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (manager->hasAccessibilityPermission() != expected) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(1ms);
            mainQueue.drain();
        }
        return true;
    }

    TempHome home;
    platform::FakeClock clock;
    platform::ManualMainQueue mainQueue{clock};
    platform::FakeUrlOpener urlOpener;
    std::shared_ptr<platform::FakeInputPermission> permission = std::make_shared<platform::FakeInputPermission>();
    std::unique_ptr<PermissionManager> manager;
    std::unique_ptr<PermissionOverlayView> view;
    std::vector<bool> published;
};

TEST_F(PermissionOverlayTest, VerifyWhileStillMissingChecksButPublishesNothing) {
    const int before = permission->checks();
    view->verifyButton()->click();
    // The answer has been taken by now; anything it could still send goes through the main queue.
    EXPECT_EQ(permission->checks(), before + 1);
    mainQueue.drain();
    EXPECT_FALSE(manager->hasAccessibilityPermission());
    EXPECT_TRUE(published.empty());

    // The same click once the permission is there publishes at once: the check above was a real one.
    permission->setAnswer(true);
    view->verifyButton()->click();
    EXPECT_EQ(permission->checks(), before + 2);
    EXPECT_EQ(published, (std::vector<bool>{true}));
}

TEST_F(PermissionOverlayTest, VerifyAfterAGrantPublishesItWithoutWaitingForThePoll) {
    permission->setAnswer(true);
    view->verifyButton()->click();
    ASSERT_TRUE(settle(true));
    EXPECT_EQ(published, (std::vector<bool>{true}));
}

TEST_F(PermissionOverlayTest, OpenSettingsOpensTheHelpPageAndChangesNothing) {
    const int before = permission->checks();
    view->openSettingsButton()->click();
    ASSERT_EQ(urlOpener.opened().size(), 1u);
    EXPECT_EQ(urlOpener.opened()[0].rfind("file://", 0), 0u);
    EXPECT_NE(urlOpener.opened()[0].find("input-permission.html"), std::string::npos);
    mainQueue.drain();
    EXPECT_EQ(permission->checks(), before);
    EXPECT_TRUE(published.empty());
}

TEST_F(PermissionOverlayTest, StepsShowTheProgramNameInBoldWithoutMarkup) {
    ASSERT_EQ(view->stepLabels().size(), 3);
    const QLabel* second = view->stepLabels()[1];
    EXPECT_EQ(second->textFormat(), Qt::RichText);
    EXPECT_TRUE(second->text().contains(QStringLiteral("<b>Clicktrove</b>")));
    for (const QLabel* step : view->stepLabels()) EXPECT_FALSE(step->text().contains(QStringLiteral("**")));
}

}  // namespace
}  // namespace clicktrove::testing
