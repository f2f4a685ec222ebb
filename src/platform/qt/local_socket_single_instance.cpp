#include "platform/qt/local_socket_single_instance.hpp"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <utility>

namespace clicktrove::platform {

namespace {
constexpr char kRequest[] = "activate";
constexpr char kAnswer[] = "ok\n";
// A request is one short line; anything longer is not one of ours.
constexpr qint64 kMaxRequest = 4096;

void describe(std::string* error, const QString& text) {
    if (error) *error = text.toStdString();
}
}  // namespace

LocalSocketSingleInstance::LocalSocketSingleInstance(QString socketPath, std::string startupId,
                                                     std::chrono::milliseconds answerTimeout, QObject* parent)
    : QObject(parent),
      socketPath_(std::move(socketPath)),
      startupId_(std::move(startupId)),
      answerTimeout_(answerTimeout) {}

LocalSocketSingleInstance::~LocalSocketSingleInstance() {
    // Closing removes the socket file, so the next launch need not wait for a stale one.
    if (server_) server_->close();
}

SingleInstance::Claim LocalSocketSingleInstance::claim(std::string* error) {
    const QFileInfo socket(socketPath_);
    if (socketPath_.isEmpty() || !QDir().mkpath(socket.absolutePath())) {
        describe(error, QStringLiteral("no folder for the instance socket ") + socketPath_);
        return Claim::unguarded;
    }
    QLockFile lock(socketPath_ + QStringLiteral(".lock"));
    if (!lock.tryLock(static_cast<int>(answerTimeout_.count()))) {
        describe(error, QStringLiteral("another launch holds ") + lock.fileName());
        return lock.error() == QLockFile::LockFailedError ? Claim::unanswered : Claim::unguarded;
    }
    switch (handOver(error)) {
        case Probe::handedOver:
            return Claim::handedOver;
        case Probe::unanswered:
            return Claim::unanswered;
        case Probe::noInstance:
            break;
    }
    // Under the lock nobody else listens here, so a file in the socket's place is a crashed instance's.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_)) {
        describe(error,
                 QStringLiteral("cannot listen on ") + socketPath_ + QStringLiteral(": ") + server_->errorString());
        server_.reset();
        return Claim::unguarded;
    }
    connect(server_.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) serve(client);
    });
    return Claim::primary;
}

LocalSocketSingleInstance::Probe LocalSocketSingleInstance::handOver(std::string* error) {
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (!socket.waitForConnected(static_cast<int>(answerTimeout_.count()))) return Probe::noInstance;
    socket.write(QByteArray(kRequest) + ' ' + QByteArray::fromStdString(startupId_) + '\n');
    QElapsedTimer elapsed;
    elapsed.start();
    QByteArray answer;
    while (!answer.contains('\n') && elapsed.elapsed() < answerTimeout_.count()) {
        const qint64 left = answerTimeout_.count() - elapsed.elapsed();
        if (!socket.waitForReadyRead(static_cast<int>(std::max<qint64>(left, 1)))) {
            if (socket.state() != QLocalSocket::ConnectedState) break;
            continue;
        }
        answer += socket.readAll();
    }
    if (answer == kAnswer) return Probe::handedOver;
    describe(error, QStringLiteral("the running copy (socket ") + socketPath_ + QStringLiteral(") did not answer"));
    return Probe::unanswered;
}

void LocalSocketSingleInstance::serve(QLocalSocket* client) {
    client->setParent(this);
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    connect(client, &QLocalSocket::readyRead, this, [this, client] {
        if (!client->canReadLine()) {
            if (client->bytesAvailable() > kMaxRequest) {
                client->abort();
                client->deleteLater();
            }
            return;
        }
        const QByteArray line = client->readLine(kMaxRequest).trimmed();
        const QByteArray request(kRequest);
        if (line != request && !line.startsWith(request + ' ')) {
            client->abort();
            client->deleteLater();
            return;
        }
        const std::string startupId = line.mid(request.size()).trimmed().toStdString();
        client->write(kAnswer);
        client->flush();
        client->disconnectFromServer();
        if (onActivate) onActivate(startupId);
    });
}

}  // namespace clicktrove::platform
