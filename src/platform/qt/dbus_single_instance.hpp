#pragma once

#include "platform/single_instance.hpp"

#include <QDBusConnection>
#include <QString>
#include <chrono>
#include <memory>

namespace clicktrove::platform {

class DBusApplicationService;

// The one instance on the session bus: the instance owns the well-known name (the application id) and offers
// org.freedesktop.Application at the matching object path; a later launch finds the name taken and calls
// Activate on its owner, passing its startup-notification identifier. The name goes with the process, so a
// crashed instance never blocks the next launch. Main thread only.
class DBusSingleInstance final : public SingleInstance {
public:
    DBusSingleInstance(QString applicationId, std::string startupId, std::chrono::milliseconds answerTimeout,
                       QDBusConnection connection = QDBusConnection::sessionBus());
    ~DBusSingleInstance() override;

    Claim claim(std::string* error) override;

    // "/org/example/App" for "org.example.App", as the freedesktop application interface asks.
    static QString objectPath(const QString& applicationId);

private:
    enum class Handover { taken, ownerGone, failed };
    Handover activateOwner(std::string* error);
    void release();

    QString applicationId_;
    std::string startupId_;
    std::chrono::milliseconds answerTimeout_;
    QDBusConnection connection_;
    std::unique_ptr<DBusApplicationService> service_;
    bool ownsName_ = false;
};

}  // namespace clicktrove::platform
