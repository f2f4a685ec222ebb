#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QWidget;
class QWindow;

namespace clicktrove {

namespace platform {
class MainQueue;
}

// Runs a task once, on the main queue's turn after a window's first frame reached the screen: Qt paints and
// flushes a widget window while it handles the window's first expose, so the next turn comes after it.
// Start-up work the first frame does not need waits on it, so that the window is on screen sooner.
class FirstFrameWatch final : public QObject {
public:
    // Watches the native window of `window`, which showing it has created: call right after show(), before
    // the event loop delivers the expose. Without a native window the task never runs.
    FirstFrameWatch(QWidget& window, std::shared_ptr<platform::MainQueue> mainQueue, std::function<void()> task);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::shared_ptr<platform::MainQueue> mainQueue_;
    std::function<void()> task_;
    QPointer<QWindow> window_;
};

}  // namespace clicktrove
