#pragma once

#include "platform/main_queue.hpp"

#include <QObject>
#include <QPointer>
#include <unordered_map>

class QTimer;

namespace clicktrove::platform {

// The main queue on the Qt event loop of the thread that created it (the GUI thread).
class QtMainQueue final : public QObject, public MainQueue {
    Q_OBJECT
public:
    explicit QtMainQueue(QObject* parent = nullptr);
    ~QtMainQueue() override;

    void post(Task task) override;
    TaskId postAfter(std::chrono::nanoseconds delay, Task task) override;
    void cancel(TaskId id) override;

private:
    std::unordered_map<TaskId, QTimer*> timers_;
    TaskId nextId_ = 1;
};

}  // namespace clicktrove::platform
