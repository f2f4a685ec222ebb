#include "app/clicktrove_app.hpp"
#include "app/main_window_factory.hpp"
#include "services/analytics_manager.hpp"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Clicktrove");
    QApplication::setApplicationDisplayName("Clicktrove");
    QApplication::setDesktopFileName("clicktrove");

    clicktrove::ClicktroveApp app(clicktrove::ViewModelServices::makeReal(), clicktrove::AnalyticsManager::shared(),
                                  {clicktrove::mainWindowFactory(), std::chrono::milliseconds(100), true});
    app.start();
    return QApplication::exec();
}
