#include "app/clicktrove_app.hpp"
#include "app/display_requirement.hpp"
#include "app/main_window_factory.hpp"
#include "services/analytics_manager.hpp"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv) {
    // Qt aborts the whole process when it finds no display; say what is missing instead.
    if (const auto problem = clicktrove::missingDisplayMessage()) {
        std::fprintf(stderr, "%s\n", problem->c_str());
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Clicktrove");
    QApplication::setApplicationDisplayName("Clicktrove");
    QApplication::setDesktopFileName("clicktrove");

    clicktrove::ClicktroveApp app(clicktrove::ViewModelServices::makeReal(), clicktrove::AnalyticsManager::shared(),
                                  {clicktrove::mainWindowFactory(), std::chrono::milliseconds(100), true});
    app.start();
    return QApplication::exec();
}
