#pragma once

#include "platform/activation_policy.hpp"

#include <QObject>
#include <functional>
#include <optional>

class QWindow;

namespace clicktrove::platform {

// Regular: closing the last window quits and the main window has a taskbar entry. Accessory: the application
// stays alive in the tray after its windows close and its windows carry the EWMH skip-taskbar state, but only
// while the tray icon is on show; without one (a bare window manager, a desktop without a status-notifier host)
// the windows keep their taskbar entry and closing the last one quits, so the program can always be reached or
// is gone. The tray is asked again whenever a window is shown, minimised or closed. Windows created later get
// the state when their native window appears, so the policy may be set before any window.
class QtActivationPolicy final : public QObject, public ActivationPolicy {
    Q_OBJECT
public:
    explicit QtActivationPolicy(QObject* parent = nullptr);

    void setActivationPolicy(Policy policy) override;
    void setTrayIconShown(std::function<bool()> shown) override;
    void trayIconMayHaveChanged() override;
    // The policy asked for.
    Policy policy() const { return policy_; }
    // The policy in force: accessory only while the tray icon is on show.
    Policy effectivePolicy() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Applies the policy in force to every window and to quitting.
    void applyToAll();
    void apply(QWindow* window, bool skipTaskbar) const;
    bool trayIconShown() const;

    Policy policy_ = Policy::regular;
    std::function<bool()> trayIconShown_;
    // What the windows were last given; none yet.
    std::optional<bool> skippingTaskbar_;
};

}  // namespace clicktrove::platform
