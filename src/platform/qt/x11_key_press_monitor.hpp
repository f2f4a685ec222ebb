#pragma once

#include "platform/key_press_monitor.hpp"
#include "platform/monitor_registry.hpp"

#include <QObject>

namespace clicktrove::platform {

class X11RawInputSource;

// Key presses of the whole X session, from XInput2 raw events on a connection of its own, delivered on the
// Qt event loop of the creating (main) thread. The connection is open while at least one handler is
// installed. The program's own windows are part of the session, so one handler sees their presses too; no
// second, window-local monitor is needed, and none may be added or their presses would count twice.
class X11KeyPressMonitor final : public QObject, public KeyPressMonitor {
    Q_OBJECT
public:
    explicit X11KeyPressMonitor(QObject* parent = nullptr);
    ~X11KeyPressMonitor() override;

    std::optional<Token> addMonitor(Handler handler) override;
    void removeMonitor(Token token) override;

private:
    X11RawInputSource* source_;
    MonitorRegistry<KeyPressEvent> handlers_;
    bool warned_ = false;
};

}  // namespace clicktrove::platform
