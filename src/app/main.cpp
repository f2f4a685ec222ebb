#include "app/clicktrove_app.hpp"
#include "app/desktop_identity.hpp"
#include "app/display_requirement.hpp"
#include "app/main_window_factory.hpp"
#include "app/single_instance_step.hpp"
#include "build_config.hpp"
#include "crash/sentry_sdk.hpp"
#include "platform/qt/x11_keyboard_state_events.hpp"
#include "services/analytics_manager.hpp"

#include <QApplication>
#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    // Qt aborts the whole process when it finds no display; say what is missing instead.
    if (const auto problem = clicktrove::missingDisplayMessage()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    // Before the application object: it takes the launch's startup identifier out of the environment.
    auto instance = clicktrove::makeSingleInstance();
    QApplication application(argc, argv);
    clicktrove::applyDesktopIdentity();
    // A later launch hands over before it loads or saves anything.
    if (const auto exitStatus = clicktrove::claimSingleInstance(*instance, std::cerr)) return *exitStatus;

    // Crash reporting comes before everything else the one running copy does (analytics follows in start()). It
    // starts only once the launch is known to be the running copy, so that a launch that merely hands over never
    // works on the reports of earlier runs beside the copy that already does.
    clicktrove::crash::SentrySDK::start([](clicktrove::crash::SentryOptions& options) {
        options.dsn = CLICKTROVE_CRASH_REPORTING_DSN;
        options.debug = false;
        options.tracesSampleRate = 1.0;
    });

    clicktrove::ClicktroveApp::Options options;
    options.makeWindow = clicktrove::mainWindowFactory();
    options.afterFirstFrame = [] {
        // The window is on screen: the start-up span ends here, before the rest of the put-off work.
        clicktrove::crash::SentrySDK::appStartFinished();
        clicktrove::applyWindowIcon();
        // A round trip to the X server; until it is done, clicks anywhere merely wake the program needlessly.
        clicktrove::platform::narrowKeyboardStateEvents();
    };
    clicktrove::ClicktroveApp app(clicktrove::ViewModelServices::makeReal(), clicktrove::AnalyticsManager::shared(),
                                  std::move(options));
    clicktrove::showMainWindowOnLaterLaunch(*instance, app);
    app.start();
    return QApplication::exec();
}
