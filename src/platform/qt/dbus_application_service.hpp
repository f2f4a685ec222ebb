#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <functional>
#include <string>

namespace clicktrove::platform {

// The freedesktop application interface (org.freedesktop.Application) that a running instance offers under its
// bus name: launchers and later launches of the program call Activate to bring it forward. The program opens no
// files and has no desktop actions, so Open and ActivateAction bring it forward too.
class DBusApplicationService final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")
public:
    using Handler = std::function<void(const std::string& startupId)>;

    explicit DBusApplicationService(Handler onActivate, QObject* parent = nullptr);

    static constexpr const char* kInterface = "org.freedesktop.Application";
    // The platform-data key that carries the caller's startup-notification identifier.
    static constexpr const char* kStartupIdKey = "desktop-startup-id";

public slots:
    void Activate(const QVariantMap& platformData);
    void Open(const QStringList& uris, const QVariantMap& platformData);
    void ActivateAction(const QString& actionName, const QVariantList& parameter, const QVariantMap& platformData);

private:
    Handler onActivate_;
};

}  // namespace clicktrove::platform
