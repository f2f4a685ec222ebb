#pragma once

#include "platform/activation_policy.hpp"

#include <QObject>

class QWindow;

namespace clicktrove::platform {

// Regular: closing the last window quits and the main window has a taskbar entry. Accessory: the application
// stays alive in the tray after its windows close and its windows carry the EWMH skip-taskbar state. Windows
// created later get the state when their native window appears, so the policy may be set before any window.
class QtActivationPolicy final : public QObject, public ActivationPolicy {
    Q_OBJECT
public:
    explicit QtActivationPolicy(QObject* parent = nullptr);

    void setActivationPolicy(Policy policy) override;
    Policy policy() const { return policy_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply(QWindow* window) const;

    Policy policy_ = Policy::regular;
};

}  // namespace clicktrove::platform
