#pragma once

#include "ui/design/adaptive_color.hpp"

#include <QWidget>

namespace clicktrove {

class AutoClickerViewModel;
class NeonPulse;
class ThemedLabel;
class VaqGhostButton;
class VaqPrimaryButton;

// The run's state by text, colour and a pulsing dot, the emergency-stop hint, and the buttons that start, pause,
// resume and stop it. It does no run logic: the buttons call the view model, which decides, and what it shows
// follows the view model wherever the run was driven from.
class RunBar final : public QWidget {
    Q_OBJECT
public:
    explicit RunBar(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    QString statusText() const;
    AdaptiveColor statusColor() const { return statusColor_; }
    NeonPulse* pulse() const { return pulse_; }
    VaqPrimaryButton* startButton() const { return start_; }
    VaqGhostButton* pauseButton() const { return pause_; }
    VaqPrimaryButton* resumeButton() const { return resume_; }
    VaqPrimaryButton* stopButton() const { return stop_; }

private:
    void refresh();

    AutoClickerViewModel& viewModel_;
    AdaptiveColor statusColor_;
    QWidget* indicator_ = nullptr;
    QWidget* dot_ = nullptr;
    NeonPulse* pulse_ = nullptr;
    ThemedLabel* status_ = nullptr;
    VaqPrimaryButton* start_ = nullptr;
    VaqGhostButton* pause_ = nullptr;
    VaqPrimaryButton* resume_ = nullptr;
    VaqPrimaryButton* stop_ = nullptr;
};

}  // namespace clicktrove
