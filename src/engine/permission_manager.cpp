#include "engine/permission_manager.hpp"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace clicktrove {

namespace {
constexpr const char* helpPageName = "clicktrove/input-permission.html";
}

PermissionManager::PermissionManager(std::shared_ptr<platform::InputPermission> permission,
                                     platform::MainQueue& mainQueue, platform::UrlOpener& urlOpener,
                                     const platform::Clock& clock, QObject* parent,
                                     std::chrono::milliseconds answerWait)
    : QObject(parent),
      mainQueue_(mainQueue),
      urlOpener_(urlOpener),
      answerWait_(answerWait),
      check_(std::move(permission), mainQueue, clock) {
    check_.setListener([this](bool mayPost) { store(mayPost); });
    checkPermission();
    startMonitoring();
}

PermissionManager::~PermissionManager() {
    stopMonitoring();
}

void PermissionManager::startMonitoring() {
    stopMonitoring();
    monitoring_ = true;
    schedulePoll();
}

void PermissionManager::stopMonitoring() {
    monitoring_ = false;
    if (timer_ != 0) mainQueue_.cancel(timer_);
    timer_ = 0;
}

void PermissionManager::schedulePoll() {
    timer_ = mainQueue_.postAfter(pollInterval, [this] {
        timer_ = 0;
        check_.request();
        if (monitoring_) schedulePoll();
    });
}

void PermissionManager::checkPermission() {
    if (const auto answer = check_.checkNow(answerWait_)) store(*answer);
}

void PermissionManager::store(bool mayPost) {
    if (mayPost == hasAccessibilityPermission_) return;
    hasAccessibilityPermission_ = mayPost;
    emit hasAccessibilityPermissionChanged(mayPost);
}

QString PermissionManager::helpPagePath() {
    if (QCoreApplication::instance() != nullptr) {
        const QString besideExecutable =
            QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../share/") + helpPageName);
        if (QFileInfo::exists(besideExecutable)) return QDir::cleanPath(besideExecutable);
    }
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QString::fromLatin1(helpPageName));
}

void PermissionManager::openSystemSettings() {
    const QString path = helpPagePath();
    if (path.isEmpty()) {
        qWarning("Clicktrove: the help page %s is not installed", helpPageName);
        return;
    }
    const std::string url = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded).toStdString();
    if (!urlOpener_.openUrl(url)) qWarning("Clicktrove: no application opened %s", url.c_str());
}

}  // namespace clicktrove
