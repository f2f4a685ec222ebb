#include "app/single_instance_step.hpp"

#include "app/clicktrove_app.hpp"
#include "build_config.hpp"
#include "platform/qt/dbus_single_instance.hpp"
#include "platform/qt/local_socket_single_instance.hpp"
#include "platform/qt/x11_startup_notification.hpp"
#include "platform/single_instance_chain.hpp"

#include <QDir>
#include <QStandardPaths>
#include <cstdlib>
#include <vector>

namespace clicktrove {

namespace {
std::string startupIdOfThisLaunch() {
    const char* id = std::getenv("DESKTOP_STARTUP_ID");
    return id != nullptr ? std::string(id) : std::string();
}

QString socketPath() {
    // $XDG_RUNTIME_DIR, or the private folder Qt makes in its place (with a warning) where it is unset.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) return {};
    return QDir(runtime).filePath(QStringLiteral(CLICKTROVE_APP_ID ".instance"));
}
}  // namespace

std::unique_ptr<platform::SingleInstance> makeSingleInstance() {
    const std::string startupId = startupIdOfThisLaunch();
    std::vector<std::unique_ptr<platform::SingleInstance>> links;
    links.push_back(
        std::make_unique<platform::DBusSingleInstance>(QStringLiteral(CLICKTROVE_APP_ID), startupId, kHandoverTimeout));
    links.push_back(std::make_unique<platform::LocalSocketSingleInstance>(socketPath(), startupId, kHandoverTimeout));
    return std::make_unique<platform::SingleInstanceChain>(std::move(links));
}

std::optional<int> claimSingleInstance(platform::SingleInstance& instance, std::ostream& messages) {
    std::string error;
    switch (instance.claim(&error)) {
        case platform::SingleInstance::Claim::primary:
            return std::nullopt;
        case platform::SingleInstance::Claim::handedOver:
            return 0;
        case platform::SingleInstance::Claim::unanswered:
            messages << "clicktrove: Clicktrove is already running but did not come forward (" << error
                     << "); end it or wait for it, then start Clicktrove again\n";
            return 1;
        case platform::SingleInstance::Claim::unguarded:
            messages << "clicktrove: cannot make sure that only one Clicktrove runs (" << error
                     << "); starting anyway\n";
            return std::nullopt;
    }
    return std::nullopt;
}

void showMainWindowOnLaterLaunch(platform::SingleInstance& instance, ClicktroveApp& app) {
    instance.onActivate = [&app](const std::string& startupId) {
        app.showMainWindow();
        platform::completeStartupNotification(startupId);
    };
}

}  // namespace clicktrove
