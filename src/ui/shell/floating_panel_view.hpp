#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

namespace clicktrove {

class AutoClickerViewModel;
class LiveText;

// The content of the floating control panel: the run's status, click count, speed and duration over a dark
// translucent body, and start, pause or resume, and stop buttons. It reads and drives the same view model as
// the main window, so both always show the same run, and follows every change the view model publishes; of the
// live figures only those whose text changed repaint.
class FloatingPanelView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 220;
    static constexpr int kHeight = 160;

    explicit FloatingPanelView(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);

    // Whole seconds of elapsed time as minutes and seconds, "%02d:%02d"; minutes are not wrapped into hours.
    static QString durationText(double elapsedTime);
    // Green while "Running", yellow while "Paused", red for every other status.
    static QColor statusColor(const QString& status);

    QLabel* statusLabel() const { return status_; }
    LiveText* clicksLabel() const { return clicks_; }
    LiveText* speedLabel() const { return speed_; }
    LiveText* durationLabel() const { return duration_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QPushButton* pauseButton() const { return pause_; }
    QPushButton* resumeButton() const { return resume_; }
    // The colour the status dot is painted in now.
    QColor statusDotColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    AutoClickerViewModel& viewModel_;
    QWidget* dot_ = nullptr;
    QLabel* status_ = nullptr;
    LiveText* clicks_ = nullptr;
    LiveText* speed_ = nullptr;
    LiveText* duration_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* resume_ = nullptr;
};

}  // namespace clicktrove
