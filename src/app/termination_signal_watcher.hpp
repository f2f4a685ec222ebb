#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace clicktrove {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread: a session logout or `kill` then quits
// through the event loop like the tray's Quit does, so the analytics cache is written before the process ends.
// The handler only writes a byte to a pipe (all a signal handler may safely do).
class TerminationSignalWatcher final : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignalWatcher(QObject* parent = nullptr);
    ~TerminationSignalWatcher() override;

signals:
    void terminationRequested();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace clicktrove
