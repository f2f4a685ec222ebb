#pragma once

#include "ui/dashboard/dashboard_host.hpp"

#include <QWidget>

class QGridLayout;

namespace clicktrove {

class ActionParametersCard;
class AutoClickerViewModel;
class ClickIntervalCard;
class DragDropCard;
class GlassCard;
class PresetHeaderCard;
class RunBar;
class ScheduleCard;
class StatisticBadges;
class TargetLocationCard;
class VaqGhostButton;

// The Dashboard tab: the card column with every setting of a run, a rule, and the 300-point run column with the
// run bar, the statistics, the live chart and the floating-window button. It belongs to a window (its host), whose
// save-as sheet and floating panel it opens; every value comes from the view model and every edit goes back into
// its configuration as one store.
class DashboardView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRunColumnWidth = 300;

    DashboardView(DashboardHost host, QWidget* parent = nullptr);

    PresetHeaderCard* presetHeader() const { return presetHeader_; }
    ClickIntervalCard* clickIntervalCard() const { return clickInterval_; }
    ActionParametersCard* actionParametersCard() const { return actionParameters_; }
    TargetLocationCard* targetLocationCard() const { return targetLocation_; }
    DragDropCard* dragDropCard() const { return dragDrop_; }
    ScheduleCard* scheduleCard() const { return schedule_; }
    RunBar* runBar() const { return runBar_; }
    GlassCard* runBarCard() const { return runBarCard_; }
    GlassCard* presetHeaderCard() const { return presetHeaderCard_; }
    StatisticBadges* statistics() const { return statistics_; }
    QWidget* liveChart() const { return chart_; }
    VaqGhostButton* floatingPanelButton() const { return floatingButton_; }

    // The host calls this when its floating panel opens or closes.
    void refreshFloatingPanelButton();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildCardColumn();
    QWidget* buildRunColumn();
    void refreshGlows();
    void refreshChart();
    void fitCardColumnWidth();

    DashboardHost host_;
    AutoClickerViewModel& viewModel_;
    PresetHeaderCard* presetHeader_ = nullptr;
    GlassCard* presetHeaderCard_ = nullptr;
    ClickIntervalCard* clickInterval_ = nullptr;
    ActionParametersCard* actionParameters_ = nullptr;
    TargetLocationCard* targetLocation_ = nullptr;
    DragDropCard* dragDrop_ = nullptr;
    ScheduleCard* schedule_ = nullptr;
    RunBar* runBar_ = nullptr;
    GlassCard* runBarCard_ = nullptr;
    StatisticBadges* statistics_ = nullptr;
    GlassCard* chartCard_ = nullptr;
    QWidget* chart_ = nullptr;
    VaqGhostButton* floatingButton_ = nullptr;
    QWidget* cardContent_ = nullptr;
    QWidget* cardScroll_ = nullptr;
};

}  // namespace clicktrove
