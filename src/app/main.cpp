#include "app/clicktrove_app.hpp"
#include "app/main_window_factory.hpp"
#include "build_config.hpp"
#include "crash/sentry_sdk.hpp"
#include "services/analytics_manager.hpp"

#include <QApplication>
#include <QTimer>

int main(int argc, char** argv) {
    // First of all, so that a crash in the toolkit's own start-up is reported too; analytics follows in start().
    clicktrove::crash::SentrySDK::start([](clicktrove::crash::SentryOptions& options) {
        options.dsn = CLICKTROVE_CRASH_REPORTING_DSN;
        options.debug = false;
        options.tracesSampleRate = 1.0;
    });

    QApplication application(argc, argv);
    QApplication::setApplicationName("Clicktrove");
    QApplication::setApplicationDisplayName("Clicktrove");
    QApplication::setDesktopFileName("clicktrove");

    clicktrove::ClicktroveApp app(clicktrove::ViewModelServices::makeReal(), clicktrove::AnalyticsManager::shared(),
                                  {clicktrove::mainWindowFactory(), std::chrono::milliseconds(100), true});
    app.start();
    // The window was shown by start(); the start-up span ends once the event loop has had its first turn at it.
    QTimer::singleShot(0, [] { clicktrove::crash::SentrySDK::appStartFinished(); });
    return QApplication::exec();
}
