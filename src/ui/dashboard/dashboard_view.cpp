#include "ui/dashboard/dashboard_view.hpp"

#include "services/accent_colors.hpp"
#include "services/settings_manager.hpp"
#include "session/auto_clicker_view_model.hpp"
#include "ui/dashboard/action_parameters_card.hpp"
#include "ui/dashboard/card_columns_layout.hpp"
#include "ui/dashboard/click_interval_card.hpp"
#include "ui/dashboard/drag_drop_card.hpp"
#include "ui/dashboard/preset_header_card.hpp"
#include "ui/dashboard/run_bar.hpp"
#include "ui/dashboard/run_status_color.hpp"
#include "ui/dashboard/schedule_card.hpp"
#include "ui/dashboard/statistic_badges.hpp"
#include "ui/dashboard/target_location_card.hpp"
#include "ui/design/design_control_style.hpp"
#include "ui/design/glass_card.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/vaq_ghost_button.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <utility>

namespace clicktrove {

namespace {

QScrollArea* makeColumnScroll(QWidget* parent, QWidget* content) {
    auto* scroll = new QScrollArea(parent);
    scroll->setFrameShape(QFrame::NoFrame);
    // No scroll indicators; the wheel and the touchpad still scroll.
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidgetResizable(true);
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setWidget(content);
    // After setWidget, which turns the filling on: filled, the column would paint the desktop's window colour
    // over the window's background under the "System" theme.
    content->setAutoFillBackground(false);
    return scroll;
}

QColor accentOf(const AutoClickerViewModel& viewModel) {
    return accentColor(viewModel.settingsManager().accentColor(), ThemeAppearance::instance().isDark());
}

}  // namespace

DashboardView::DashboardView(DashboardHost host, QWidget* parent)
    : QWidget(parent), host_(std::move(host)), viewModel_(*host_.viewModel) {
    setObjectName("Dashboard");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(buildCardColumn(), 1);
    row->addSpacing(1);  // the rule, painted by paintEvent
    row->addWidget(buildRunColumn());

    connect(&viewModel_, &AutoClickerViewModel::isConfigModifiedChanged, this, &DashboardView::refreshGlows);
    connect(&viewModel_, &AutoClickerViewModel::isRunningChanged, this, &DashboardView::refreshGlows);
    connect(&viewModel_, &AutoClickerViewModel::statusChanged, this, &DashboardView::refreshGlows);
    connect(&viewModel_, &AutoClickerViewModel::cpsHistoryChanged, this, &DashboardView::refreshChart);
    // The chart's figure is the Speed tile's: it changes with every report, the plot only once a second.
    connect(&viewModel_, &AutoClickerViewModel::cpsChanged, this, &DashboardView::refreshChart);
    // The accent colour is read afresh at each publication of the view model, and once now: a Dashboard made
    // again on a tab switch shows the accent before the next publication.
    const auto applyAccent = [this] {
        presetHeader_->setAccent(viewModel_.settingsManager().accentColor());
        targetLocation_->setAccent(viewModel_.settingsManager().accentColor());
    };
    connect(&viewModel_, &AutoClickerViewModel::changed, this, applyAccent);
    applyAccent();
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
    // The cards' check boxes, radio buttons, pop-up menu, date pickers and sliders in the design's look.
    DesignControlStyle::applyToAll(this);
    refreshGlows();
    refreshFloatingPanelButton();
}

QWidget* DashboardView::buildCardColumn() {
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);

    presetHeader_ = new PresetHeaderCard(viewModel_, host_.beginSaveAsPreset);
    presetHeaderCard_ = GlassCard::wrap(presetHeader_, std::nullopt, 16, content);
    column->addWidget(presetHeaderCard_);

    // Under the header, the five setting cards: one column, or the run's settings beside the drag and the schedule
    // where the window is wide enough, so that a laptop screen shows them all.
    auto* cards = new QWidget(content);
    auto* columns = new CardColumnsLayout(3, 12, cards);
    column->addWidget(cards);

    clickInterval_ = new ClickIntervalCard(viewModel_);
    columns->addCard(GlassCard::wrap(clickInterval_, ThemeColors::cyan(), 16, cards), Qt::AlignHCenter);

    actionParameters_ = new ActionParametersCard(viewModel_);
    columns->addCard(GlassCard::wrap(actionParameters_, ThemeColors::purple(), 16, cards));

    targetLocation_ = new TargetLocationCard(viewModel_);
    columns->addCard(GlassCard::wrap(targetLocation_, ThemeColors::green(), 16, cards));

    dragDrop_ = new DragDropCard(viewModel_);
    columns->addCard(GlassCard::wrap(dragDrop_, ThemeColors::amber(), 16, cards));

    schedule_ = new ScheduleCard(viewModel_);
    columns->addCard(GlassCard::wrap(schedule_, ThemeColors::indigo(), 16, cards));
    column->addStretch();
    cardContent_ = content;
    cardScroll_ = makeColumnScroll(this, content);
    // The column only scrolls vertically: a card that grows wider (a "MODIFIED" badge, a longer preset name)
    // widens the column, and with it the window, instead of being cut off under the run column.
    content->installEventFilter(this);
    fitCardColumnWidth();
    return cardScroll_;
}

void DashboardView::fitCardColumnWidth() {
    const int needed = cardContent_->minimumSizeHint().width();
    if (cardScroll_->minimumWidth() != needed) cardScroll_->setMinimumWidth(needed);
}

bool DashboardView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == cardContent_ && event->type() == QEvent::LayoutRequest) fitCardColumnWidth();
    return QWidget::eventFilter(watched, event);
}

QWidget* DashboardView::buildRunColumn() {
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(12);

    runBar_ = new RunBar(viewModel_);
    runBarCard_ = GlassCard::wrap(runBar_, std::nullopt, 16, content);
    column->addWidget(runBarCard_);

    statistics_ = new StatisticBadges(viewModel_, content);
    column->addWidget(statistics_);

    chartCard_ = new GlassCard(std::nullopt, 16, content);
    chartCard_->setMinimumHeight(180);
    column->addWidget(chartCard_);
    refreshChart();

    floatingButton_ = new VaqGhostButton(
        QString(), QString(), ThemeColors::indigo(), [this] { host_.toggleFloatingPanel(); }, content);
    floatingButton_->setObjectName("FloatingPanelButton");
    floatingButton_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    column->addWidget(floatingButton_);
    column->addStretch();

    auto* scroll = makeColumnScroll(this, content);
    scroll->setFixedWidth(kRunColumnWidth);
    return scroll;
}

void DashboardView::refreshGlows() {
    presetHeaderCard_->setAccentGlow(viewModel_.isConfigModified() ? std::optional<AdaptiveColor>(ThemeColors::amber())
                                                                   : std::nullopt);
    runBarCard_->setAccentGlow(
        viewModel_.isRunning() ? std::optional<AdaptiveColor>(runStatusColor(viewModel_.status())) : std::nullopt);
}

void DashboardView::refreshChart() {
    const QColor accent = accentOf(viewModel_);
    if (chart_ && host_.updateLiveChart) {
        host_.updateLiveChart(chart_, viewModel_.cpsHistory(), viewModel_.cps(), accent);
        return;
    }
    // Without an updater the chart is made anew from the samples, as it is a function of them.
    chart_ = host_.liveChart(viewModel_.cpsHistory(), viewModel_.cps(), accent, chartCard_);
    chart_->setObjectName("LiveChart");
    chartCard_->setContent(chart_);
}

void DashboardView::refreshFloatingPanelButton() {
    const bool open = host_.isFloatingPanelOpen();
    floatingButton_->setLabel(open ? tr("Close Floating Window") : tr("Open Floating Window"));
    floatingButton_->setSymbol(open ? "rectangle.badge.minus" : "rectangle.badge.plus");
}

void DashboardView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int x = width() - kRunColumnWidth - 1;
    p.fillRect(QRect(x, 0, 1, height()), ThemeColors::border());
}

}  // namespace clicktrove
