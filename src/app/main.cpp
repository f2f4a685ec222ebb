#include "app/clicktrove_app.hpp"
#include "app/desktop_identity.hpp"
#include "app/main_window_factory.hpp"
#include "app/single_instance_step.hpp"
#include "services/analytics_manager.hpp"

#include <QApplication>
#include <iostream>

int main(int argc, char** argv) {
    // Before the application object: it takes the launch's startup identifier out of the environment.
    auto instance = clicktrove::makeSingleInstance();
    QApplication application(argc, argv);
    clicktrove::applyDesktopIdentity();
    // A later launch hands over before it loads or saves anything.
    if (const auto exitStatus = clicktrove::claimSingleInstance(*instance, std::cerr)) return *exitStatus;

    clicktrove::ClicktroveApp::Options options;
    options.makeWindow = clicktrove::mainWindowFactory();
    clicktrove::ClicktroveApp app(clicktrove::ViewModelServices::makeReal(), clicktrove::AnalyticsManager::shared(),
                                  std::move(options));
    clicktrove::showMainWindowOnLaterLaunch(*instance, app);
    app.start();
    return QApplication::exec();
}
