#pragma once

#include <QColor>
#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace clicktrove {

class AutoClickerViewModel;

// What the Dashboard asks of the window that holds it. The window owns the floating panel and the Save-as-Preset
// sheet and chooses how the live chart is drawn; the Dashboard only reaches them through these calls, so it never
// depends on the window's own type. The window calls DashboardView::refreshFloatingPanelButton when its panel
// opens or closes.
struct DashboardHost {
    AutoClickerViewModel* viewModel = nullptr;
    std::function<bool()> isFloatingPanelOpen;
    std::function<void()> toggleFloatingPanel;
    std::function<void()> beginSaveAsPreset;
    // The live chart card: 30 samples, oldest first, the current rate (the Speed tile's) and the accent colour.
    std::function<QWidget*(const std::vector<double>& history, std::int64_t cps, const QColor& accentColor,
                           QWidget* parent)>
        liveChart;
    // Hands new values to a chart made by liveChart; when empty, the Dashboard makes a new chart instead.
    std::function<void(QWidget* chart, const std::vector<double>& history, std::int64_t cps, const QColor& accentColor)>
        updateLiveChart;
};

}  // namespace clicktrove
