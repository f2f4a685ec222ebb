#include "app/first_frame_watch.hpp"

#include "platform/main_queue.hpp"

#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace clicktrove {

FirstFrameWatch::FirstFrameWatch(QWidget& window, std::shared_ptr<platform::MainQueue> mainQueue,
                                 std::function<void()> task)
    : QObject(&window), mainQueue_(std::move(mainQueue)), task_(std::move(task)), window_(window.windowHandle()) {
    if (window_) window_->installEventFilter(this);
}

bool FirstFrameWatch::eventFilter(QObject* watched, QEvent* event) {
    // An expose that hides the window (an empty region) paints nothing.
    if (watched == window_ && event->type() == QEvent::Expose && window_->isExposed() && task_) {
        window_->removeEventFilter(this);
        mainQueue_->post([self = QPointer<FirstFrameWatch>(this), task = std::move(task_)] {
            if (self) task();
        });
        task_ = nullptr;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace clicktrove
