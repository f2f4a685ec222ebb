#include "platform/qt/dbus_application_service.hpp"

#include <utility>

namespace clicktrove::platform {

DBusApplicationService::DBusApplicationService(Handler onActivate, QObject* parent)
    : QObject(parent), onActivate_(std::move(onActivate)) {}

void DBusApplicationService::Activate(const QVariantMap& platformData) {
    if (onActivate_) onActivate_(platformData.value(QString::fromLatin1(kStartupIdKey)).toString().toStdString());
}

void DBusApplicationService::Open(const QStringList&, const QVariantMap& platformData) {
    Activate(platformData);
}

void DBusApplicationService::ActivateAction(const QString&, const QVariantList&, const QVariantMap& platformData) {
    Activate(platformData);
}

}  // namespace clicktrove::platform
