#include "platform/qt/qt_main_queue.hpp"

#include <QMetaObject>
#include <QTimer>

namespace clicktrove::platform {

QtMainQueue::QtMainQueue(QObject* parent) : QObject(parent) {}

QtMainQueue::~QtMainQueue() {
    for (auto& [id, timer] : timers_) delete timer;
}

void QtMainQueue::post(Task task) {
    // Queued invocation on this object: runs on its thread's loop even when called from the engine thread.
    QMetaObject::invokeMethod(this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

MainQueue::TaskId QtMainQueue::postAfter(std::chrono::nanoseconds delay, Task task) {
    const TaskId id = nextId_++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    // Precise: coarse timers may fire up to 5 % late, which would drift one-second countdowns and playback.
    timer->setTimerType(Qt::PreciseTimer);
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(delay).count();
    timer->setInterval(static_cast<int>(std::clamp<long long>(ms, 0, INT32_MAX)));
    connect(timer, &QTimer::timeout, this, [this, id, timer, task = std::move(task)] {
        timers_.erase(id);
        timer->deleteLater();
        task();
    });
    timers_.emplace(id, timer);
    timer->start();
    return id;
}

void QtMainQueue::cancel(TaskId id) {
    const auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->stop();
    it->second->deleteLater();
    timers_.erase(it);
}

}  // namespace clicktrove::platform
