#include "ui/screens/history_stat_chip.hpp"

#include "ui/design/adaptive_color.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/screens/view_style.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace clicktrove {

HistoryStatChip::HistoryStatChip(const QString& symbol, const QColor& colour, const QString& value,
                                 const QString& caption, QWidget* parent)
    : QWidget(parent), colour_(colour) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(5);
    auto* icon = new QLabel;
    icon->setPixmap(view_style::symbol(symbol, colour, 10, QFont::DemiBold));
    row->addWidget(icon);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(0);
    value_ = view_style::label(value, 12, QFont::Bold, "primary", FontDesign::rounded);
    value_->setTextFormat(Qt::PlainText);
    caption_ = view_style::label(caption, 9, QFont::Normal, "secondary");
    texts->addWidget(value_);
    texts->addWidget(caption_);
    row->addLayout(texts);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QString HistoryStatChip::value() const {
    return value_->text();
}

QString HistoryStatChip::caption() const {
    return caption_->text();
}

void HistoryStatChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(continuousRoundedRect(rect(), 8), withOpacity(colour_, 0.08));
}

}  // namespace clicktrove
