#include "app/clicktrove_app.hpp"
#include "app/single_instance_step.hpp"
#include "platform/fake/fake_single_instance.hpp"
#include "services/analytics_manager.hpp"
#include "session/view_model_rig.hpp"

#include <gtest/gtest.h>
#include <QWidget>
#include <sstream>

using clicktrove::AnalyticsClient;
using clicktrove::AnalyticsManager;
using clicktrove::AutoClickerViewModel;
using clicktrove::ClicktroveApp;
using clicktrove::platform::FakeSingleInstance;
using Claim = clicktrove::platform::SingleInstance::Claim;

namespace {

class SilentClient final : public AnalyticsClient {
public:
    void initialize(const Configuration&) override {}
    void signal(const std::string&, const Parameters&) override {}
};

TEST(SingleInstanceStep, ALaterLaunchEndsAtOnceAndAnUnguardedOneGoesOn) {
    struct Case {
        const char* name;
        Claim claim;
        std::optional<int> exitStatus;
        const char* message;  // part of what the launch says; empty: silent
    };
    const Case cases[] = {
        {"the instance", Claim::primary, std::nullopt, ""},
        {"handed over", Claim::handedOver, 0, ""},
        {"instance does not answer", Claim::unanswered, 1, "already running but did not come forward (why)"},
        {"nothing to claim with", Claim::unguarded, std::nullopt,
         "cannot make sure that only one Clicktrove runs (why)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeSingleInstance instance(c.claim, "why");
        std::ostringstream messages;
        EXPECT_EQ(clicktrove::claimSingleInstance(instance, messages), c.exitStatus);
        EXPECT_EQ(instance.claims(), 1);
        if (*c.message == '\0') {
            EXPECT_TRUE(messages.str().empty()) << messages.str();
        } else {
            EXPECT_NE(messages.str().find(c.message), std::string::npos) << messages.str();
        }
    }
}

TEST(SingleInstanceStep, ALaterLaunchBringsTheMainWindowBackFromWhereverItWas) {
    clicktrove::testing::ViewModelRig rig;
    AnalyticsManager analytics{std::make_shared<SilentClient>()};
    ClicktroveApp::Options options;
    options.makeWindow = [](AutoClickerViewModel&) { return new QWidget; };
    options.installBuildAnalyticsClient = false;
    ClicktroveApp app(rig.services(), analytics, options);
    app.start();
    FakeSingleInstance instance;
    clicktrove::showMainWindowOnLaterLaunch(instance, app);

    for (const bool minimised : {false, true}) {
        SCOPED_TRACE(minimised ? "minimised" : "hidden");
        if (minimised) {
            app.mainWindow()->showMinimized();
        } else {
            app.mainWindow()->hide();
        }
        instance.launchAgain("launcher-42_TIME0");
        EXPECT_TRUE(app.mainWindow()->isVisible());
        EXPECT_FALSE(app.mainWindow()->isMinimized());
    }
}

}  // namespace
