#pragma once

#include "platform/monitor_registry.hpp"
#include "platform/mouse_button_monitor.hpp"
#include "platform/x11/x11_raw_input_watcher.hpp"

#include <QObject>
#include <chrono>

namespace clicktrove::platform {

class MouseInput;
class X11RawInputSource;

// Mouse-button presses of the whole X session, from XInput2 raw events on a connection of its own, delivered
// on the Qt event loop of the creating (main) thread; the program's own windows included, so one handler sees
// every press once. Raw events carry no position: the pointer is read through mouseInput (which owns the
// root-to-global translation) when the press is handled, a moment after it happened. mouseInput also says
// which presses it posted itself.
class X11MouseButtonMonitor final : public QObject, public MouseButtonMonitor {
    Q_OBJECT
public:
    explicit X11MouseButtonMonitor(MouseInput& mouseInput, QObject* parent = nullptr);
    ~X11MouseButtonMonitor() override;

    std::optional<Token> addMonitor(Handler handler) override;
    void removeMonitor(Token token) override;

private:
    void deliver(const X11RawInputWatcher::Batch& batch);

    MouseInput& mouseInput_;
    X11RawInputSource* source_;
    MonitorRegistry<MouseButtonPress> handlers_;
    bool warned_ = false;
    // When the source last opened: presses posted before it can never come back through it.
    std::chrono::steady_clock::time_point watchingSince_{};
};

}  // namespace clicktrove::platform
