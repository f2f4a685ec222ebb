#include "platform/qt/dbus_single_instance.hpp"

#include "platform/qt/dbus_application_service.hpp"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QVariantMap>
#include <utility>

namespace clicktrove::platform {

namespace {
void describe(std::string* error, const QString& text) {
    if (error) *error = text.toStdString();
}
}  // namespace

DBusSingleInstance::DBusSingleInstance(QString applicationId, std::string startupId,
                                       std::chrono::milliseconds answerTimeout, QDBusConnection connection)
    : applicationId_(std::move(applicationId)),
      startupId_(std::move(startupId)),
      answerTimeout_(answerTimeout),
      connection_(std::move(connection)) {}

DBusSingleInstance::~DBusSingleInstance() {
    release();
}

QString DBusSingleInstance::objectPath(const QString& applicationId) {
    QString path = QLatin1Char('/') + applicationId;
    path.replace(QLatin1Char('.'), QLatin1Char('/'));
    path.replace(QLatin1Char('-'), QLatin1Char('_'));
    return path;
}

SingleInstance::Claim DBusSingleInstance::claim(std::string* error) {
    if (!connection_.isConnected() || connection_.interface() == nullptr) {
        describe(error, QStringLiteral("no session bus: ") + connection_.lastError().message());
        return Claim::unguarded;
    }
    // The object is there before the name: a launch that sees the name taken can call it at once.
    service_ = std::make_unique<DBusApplicationService>([this](const std::string& startupId) {
        if (onActivate) onActivate(startupId);
    });
    if (!connection_.registerObject(objectPath(applicationId_), service_.get(), QDBusConnection::ExportAllSlots)) {
        service_.reset();
        describe(error, QStringLiteral("cannot offer ") + objectPath(applicationId_) + QStringLiteral(" on the bus"));
        return Claim::unguarded;
    }
    // One retry: an owner that quits between our request and our call leaves the name free for us.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            connection_.interface()->registerService(applicationId_, QDBusConnectionInterface::DontQueueService,
                                                     QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid()) {
            release();
            describe(error, QStringLiteral("cannot ask for the bus name: ") + reply.error().message());
            return Claim::unguarded;
        }
        if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            ownsName_ = true;
            return Claim::primary;
        }
        switch (activateOwner(error)) {
            case Handover::taken:
                release();
                return Claim::handedOver;
            case Handover::ownerGone:
                continue;
            case Handover::failed:
                release();
                return Claim::unanswered;
        }
    }
    release();
    describe(error, QStringLiteral("the bus name ") + applicationId_ + QStringLiteral(" keeps changing hands"));
    return Claim::unanswered;
}

DBusSingleInstance::Handover DBusSingleInstance::activateOwner(std::string* error) {
    QDBusMessage call = QDBusMessage::createMethodCall(applicationId_, objectPath(applicationId_),
                                                       QString::fromLatin1(DBusApplicationService::kInterface),
                                                       QStringLiteral("Activate"));
    QVariantMap platformData;
    if (!startupId_.empty()) {
        platformData.insert(QString::fromLatin1(DBusApplicationService::kStartupIdKey),
                            QString::fromStdString(startupId_));
    }
    call << platformData;
    const QDBusMessage answer = connection_.call(call, QDBus::Block, static_cast<int>(answerTimeout_.count()));
    if (answer.type() == QDBusMessage::ReplyMessage) return Handover::taken;
    const QDBusError failure(answer);
    if (failure.type() == QDBusError::ServiceUnknown ||
        failure.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")) {
        return Handover::ownerGone;
    }
    describe(error, QStringLiteral("the running copy (bus name ") + applicationId_ +
                        QStringLiteral(") did not answer: ") + failure.message());
    return Handover::failed;
}

void DBusSingleInstance::release() {
    if (!connection_.isConnected()) return;
    if (ownsName_ && connection_.interface() != nullptr) connection_.interface()->unregisterService(applicationId_);
    ownsName_ = false;
    if (service_) {
        connection_.unregisterObject(objectPath(applicationId_));
        service_.reset();
    }
}

}  // namespace clicktrove::platform
