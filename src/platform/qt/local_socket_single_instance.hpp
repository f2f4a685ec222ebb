#pragma once

#include "platform/single_instance.hpp"

#include <QObject>
#include <QString>
#include <chrono>
#include <memory>

class QLocalServer;
class QLocalSocket;

namespace clicktrove::platform {

// The one instance without a session bus: the instance listens on a socket that only its user may reach (in
// $XDG_RUNTIME_DIR); a later launch connects, writes "activate" with its startup-notification identifier and
// waits for "ok". A socket file left behind by a crashed instance answers no connection and is replaced. A lock
// file beside the socket keeps two launches at the same moment from both taking the claim. Main thread only.
class LocalSocketSingleInstance final : public QObject, public SingleInstance {
    Q_OBJECT
public:
    LocalSocketSingleInstance(QString socketPath, std::string startupId, std::chrono::milliseconds answerTimeout,
                              QObject* parent = nullptr);
    ~LocalSocketSingleInstance() override;

    Claim claim(std::string* error) override;

    const QString& socketPath() const { return socketPath_; }

private:
    enum class Probe { noInstance, handedOver, unanswered };
    Probe handOver(std::string* error);
    void serve(QLocalSocket* client);

    QString socketPath_;
    std::string startupId_;
    std::chrono::milliseconds answerTimeout_;
    std::unique_ptr<QLocalServer> server_;
};

}  // namespace clicktrove::platform
