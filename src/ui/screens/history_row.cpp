#include "ui/screens/history_row.hpp"

#include "ui/design/adaptive_color.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/screens/history_stat_chip.hpp"
#include "ui/screens/history_view.hpp"
#include "ui/screens/view_style.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

constexpr qreal kCorner = 14;

// The 4-point bar in the accent gradient down the row's leading edge.
class AccentBar final : public QWidget {
public:
    explicit AccentBar(AccentThemeColor accent) : accent_(accent) { setFixedWidth(4); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = rect();
        painter.fillPath(continuousRoundedRect(box, 3),
                         ThemeGradient::accent(accent_).toLinearGradient(box, view_style::isDark(), layoutDirection()));
    }

private:
    AccentThemeColor accent_;
};

}  // namespace

HistoryRow::HistoryRow(const HistoryRecord& record, std::int64_t number, AccentThemeColor accent,
                       const QString& dateText, QWidget* parent)
    : QWidget(parent), record_(record), accent_(accent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 12, 14, 12);
    row->setSpacing(14);
    row->addWidget(new AccentBar(accent));

    number_ = view_style::label(QStringLiteral("#") + QString::number(static_cast<long long>(number)), 11, QFont::Bold,
                                "secondary", FontDesign::monospaced);
    number_->setFixedWidth(28);
    number_->setAlignment(Qt::AlignCenter);
    row->addWidget(number_);

    auto* figures = new QHBoxLayout;
    figures->setSpacing(8);
    chips_ = {
        new HistoryStatChip(QStringLiteral("cursorarrow.click.2"), ThemeColors::purple(),
                            QString::number(static_cast<long long>(record.totalClicks)), QStringLiteral("clicks")),
        new HistoryStatChip(QStringLiteral("timer"), ThemeColors::cyan(), HistoryView::durationText(record.duration),
                            QStringLiteral("duration")),
        new HistoryStatChip(QStringLiteral("bolt.fill"), ThemeColors::green(),
                            HistoryView::averageSpeedText(record.averageIntervalMs), QStringLiteral("avg speed")),
    };
    for (auto* chip : chips_) figures->addWidget(chip);
    row->addLayout(figures);
    row->addStretch(1);

    auto* trailing = new QVBoxLayout;
    trailing->setSpacing(2);
    const auto typeText = displayText(record.clickType);
    type_ = new QLabel(QString::fromUtf8(typeText.data(), static_cast<qsizetype>(typeText.size())));
    type_->setFont(designFont(11, QFont::DemiBold));
    const QColor purple = ThemeColors::purple();
    type_->setStyleSheet(QStringLiteral("QLabel { color: %1; background: %2; border-radius: 6px; padding: 3px 7px; }")
                             .arg(view_style::css(purple), view_style::css(withOpacity(purple, 0.15))));
    trailing->addWidget(type_, 0, Qt::AlignRight);
    date_ = view_style::label(dateText, 10, QFont::Normal, "secondary");
    trailing->addWidget(date_, 0, Qt::AlignRight);
    row->addLayout(trailing);

    new ShadowUnderlay(this,
                       {QColor::fromRgbF(0, 0, 0, 0.2f), 6, QPointF(0, 2), kCorner, DropShadow::Shape::roundedRect});
}

QString HistoryRow::numberText() const {
    return number_->text();
}

QString HistoryRow::clickTypeText() const {
    return type_->text();
}

QString HistoryRow::dateText() const {
    return date_->text();
}

void HistoryRow::paintEvent(QPaintEvent*) {
    const bool dark = view_style::isDark();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect();
    painter.fillPath(continuousRoundedRect(box, kCorner), ThemeColors::surface(dark));
    painter.setPen(QPen(ThemeColors::border(dark), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(continuousRoundedRect(borderRect(box), kCorner));
}

}  // namespace clicktrove
