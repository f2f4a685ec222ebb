#include "ui/screens/cps_chart_plot.hpp"

#include "ui/screens/semantic_colors.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace clicktrove {

CpsChartPlot::CpsChartPlot(QWidget* parent) : QWidget(parent), accentColor_(Qt::blue) {
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CpsChartPlot::setHistory(std::vector<double> history) {
    // Idle, the samples are handed over again every second, all zero as before: nothing to draw anew.
    if (history == history_) return;
    history_ = std::move(history);
    update();
}

void CpsChartPlot::setAccentColor(const QColor& color) {
    if (color == accentColor_) return;
    accentColor_ = color;
    update();
}

double CpsChartPlot::drawableSample(double sample) {
    return std::isfinite(sample) && sample > 0 ? sample : 0.0;
}

double CpsChartPlot::scaleTop(const std::vector<double>& history) {
    double top = kMinimumScale;
    for (const double sample : history) top = std::max(top, drawableSample(sample));
    return top;
}

std::vector<QPointF> CpsChartPlot::samplePoints(const std::vector<double>& history, const QSizeF& size) {
    const double top = scaleTop(history);
    const double steps = static_cast<double>(std::max<std::size_t>(history.size(), 2) - 1);
    std::vector<QPointF> points;
    points.reserve(history.size());
    for (std::size_t i = 0; i < history.size(); ++i) {
        const double x = static_cast<double>(i) / steps * size.width();
        const double y = size.height() - drawableSample(history[i]) / top * size.height();
        points.emplace_back(x, y);
    }
    return points;
}

void CpsChartPlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    const double w = area.width();
    const double h = area.height();
    const QColor secondary = SemanticColors::secondaryLabel(palette());

    QPainterPath card;
    card.addRoundedRect(area, 8, 8);
    painter.setClipPath(card);
    painter.fillPath(card, SemanticColors::withOpacity(SemanticColors::textBackground(palette()), 0.5));

    QPainterPath grid;
    for (const double fraction : {0.2, 0.4, 0.6, 0.8}) {
        grid.moveTo(0, fraction * h);
        grid.lineTo(w, fraction * h);
    }
    painter.strokePath(grid, QPen(SemanticColors::withOpacity(secondary, 0.15), 1));

    if (history_.size() >= 2) {
        const auto points = samplePoints(history_, area.size());

        QPainterPath fill;
        fill.moveTo(0, h);
        for (const auto& p : points) fill.lineTo(p);
        fill.lineTo(w, h);
        fill.closeSubpath();
        QLinearGradient fade(0, 0, 0, h);
        fade.setColorAt(0, SemanticColors::withOpacity(accentColor_, 0.35));
        fade.setColorAt(1, SemanticColors::withOpacity(accentColor_, 0.0));
        painter.fillPath(fill, fade);

        QPainterPath line;
        line.moveTo(points.front());
        for (std::size_t i = 1; i < points.size(); ++i) line.lineTo(points[i]);
        QPen pen(accentColor_, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.strokePath(line, pen);

        // A soft glow under the end dot, in place of a blurred shadow.
        const QPointF last = points.back();
        QRadialGradient glow(last, 4 + 3);
        glow.setColorAt(0.5, SemanticColors::withOpacity(accentColor_, 0.8));
        glow.setColorAt(1, SemanticColors::withOpacity(accentColor_, 0.0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(glow);
        painter.drawEllipse(last, 7.0, 7.0);
        painter.setBrush(accentColor_);
        painter.drawEllipse(last, 4.0, 4.0);
    }

    painter.setClipping(false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(SemanticColors::withOpacity(secondary, 0.15), 1));
    painter.drawRoundedRect(area.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
}

}  // namespace clicktrove
