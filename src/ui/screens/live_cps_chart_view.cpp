#include "ui/screens/live_cps_chart_view.hpp"

#include "ui/design/live_text.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/view_fonts.hpp"
#include "ui/screens/cps_chart_plot.hpp"
#include "ui/screens/semantic_colors.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <cmath>
#include <cstdint>
#include <limits>

namespace clicktrove {

namespace {

std::int64_t truncatedSample(double sample) {
    // Outside the model (not finite, beyond 64 bits): show 0 or the nearest representable count, never UB.
    if (!std::isfinite(sample)) return 0;
    constexpr double top = 9223372036854775807.0;
    if (sample >= top) return std::numeric_limits<std::int64_t>::max();
    if (sample <= -top) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(std::trunc(sample));
}

}  // namespace

LiveCPSChartView::LiveCPSChartView(QWidget* parent) : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(12, 12, 12, 12);
    column->setSpacing(8);

    auto* titleRow = new QHBoxLayout;
    title_ = new QLabel(tr("Live Click Activity"), this);
    title_->setFont(ViewFonts::style(ViewFonts::Style::headline));
    currentValue_ = new LiveText(this);
    currentValue_->setObjectName(QStringLiteral("currentValue"));
    currentValue_->setFont(ViewFonts::style(ViewFonts::Style::subheadline, QFont::Bold));
    currentValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    titleRow->addWidget(title_);
    titleRow->addStretch(1);
    titleRow->addWidget(currentValue_);
    column->addLayout(titleRow);

    plot_ = new CpsChartPlot(this);
    column->addWidget(plot_);

    auto* axisRow = new QHBoxLayout;
    oldest_ = new QLabel(tr("30s ago"), this);
    newest_ = new QLabel(tr("Now"), this);
    for (QLabel* label : {oldest_, newest_}) {
        label->setFont(ViewFonts::style(ViewFonts::Style::caption2));
        label->setForegroundRole(SemanticColors::kSecondaryRole);
    }
    axisRow->addWidget(oldest_);
    axisRow->addStretch(1);
    axisRow->addWidget(newest_);
    column->addLayout(axisRow);

    shadow_ = new ShadowUnderlay(
        this, {QColor::fromRgbF(0, 0, 0, 0.05f), 5, QPointF(0, 2), kCornerRadius, DropShadow::Shape::roundedRect});

    refresh();
}

void LiveCPSChartView::setHistory(std::vector<double> history) {
    if (history == plot_->history()) return;
    plot_->setHistory(std::move(history));
    refresh();
}

void LiveCPSChartView::setCurrentCps(std::int64_t cps) {
    if (currentCps_ == cps) return;
    currentCps_ = cps;
    refresh();
}

void LiveCPSChartView::setAccentColor(const QColor& color) {
    if (color == plot_->accentColor()) return;
    plot_->setAccentColor(color);
    refresh();
}

const std::vector<double>& LiveCPSChartView::history() const {
    return plot_->history();
}

QColor LiveCPSChartView::accentColor() const {
    return plot_->accentColor();
}

QString LiveCPSChartView::currentValueText(const std::vector<double>& history) {
    if (history.empty()) return {};
    return currentValueText(truncatedSample(history.back()));
}

QString LiveCPSChartView::currentValueText(std::int64_t cps) {
    return QString::number(cps) + QStringLiteral(" CPS");
}

void LiveCPSChartView::refresh() {
    const auto& samples = plot_->history();
    currentValue_->setVisible(currentCps_.has_value() || !samples.empty());
    currentValue_->setText(currentCps_ ? currentValueText(*currentCps_) : currentValueText(samples));
    QPalette valuePalette = currentValue_->palette();
    valuePalette.setColor(QPalette::WindowText, plot_->accentColor());
    currentValue_->setPalette(valuePalette);
}

void LiveCPSChartView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(QRectF(rect()), kCornerRadius),
                     SemanticColors::withOpacity(SemanticColors::windowBackground(palette()), 0.7));
}

}  // namespace clicktrove
