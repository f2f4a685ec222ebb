#include "ui/screens/recorded_click_delegate.hpp"

#include "ui/design/symbol_icons.hpp"
#include "ui/screens/recorded_clicks_model.hpp"

#include <QApplication>
#include <QPainter>

namespace clicktrove {

namespace {

constexpr int kPadY = 2;
constexpr int kSpacing = 8;
constexpr int kMarginX = 10;

QFont typeFont(const QFont& base) {
    QFont f = base;
    f.setWeight(QFont::DemiBold);
    return f;
}

QFont smallFont(const QFont& base, qreal delta) {
    QFont f = base;
    f.setPointSizeF(std::max<qreal>(6, base.pointSizeF() - delta));
    return f;
}

}  // namespace

RecordedClickDelegate::RecordedClickDelegate(std::function<QColor()> accent, QObject* parent)
    : QStyledItemDelegate(parent), accent_(std::move(accent)) {}

QSize RecordedClickDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    const QFontMetrics type(typeFont(option.font));
    const QFontMetrics coordinates(smallFont(option.font, 3));
    return {200, kPadY * 2 + type.height() + 2 + coordinates.height() + 8};
}

void RecordedClickDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    // Background, alternation and selection as the style draws them; the texts are ours.
    QStyleOptionViewItem base = option;
    initStyleOption(&base, index);
    base.text.clear();
    base.icon = QIcon();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &base, painter, widget);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect box = option.rect.adjusted(kMarginX, kPadY + 4, -kMarginX, -kPadY - 4);
    const QPalette& palette = option.palette;
    const QColor secondary = palette.color(QPalette::PlaceholderText);

    const qreal extent = SymbolIcons::extent(option.font);
    const QRectF iconBox(box.left(), box.center().y() - extent / 2, extent, extent);
    SymbolIcons::paint(*painter, iconBox, QStringLiteral("cursorarrow"), accent_(), option.font);

    const QFont delayFont = smallFont(option.font, 2);
    const QString delay = index.data(RecordedClicksModel::DelayRole).toString();
    const int delayWidth = QFontMetrics(delayFont).horizontalAdvance(delay);
    painter->setFont(delayFont);
    painter->setPen(secondary);
    painter->drawText(QRect(box.right() - delayWidth, box.top(), delayWidth, box.height()),
                      Qt::AlignVCenter | Qt::AlignRight, delay);

    const int textLeft = static_cast<int>(iconBox.right()) + kSpacing;
    const int textWidth = box.right() - delayWidth - kSpacing - textLeft;
    const QFont type = typeFont(option.font);
    const QFont coordinates = smallFont(option.font, 3);
    const int typeHeight = QFontMetrics(type).height();
    const int coordinatesHeight = QFontMetrics(coordinates).height();
    const int top = box.center().y() - (typeHeight + 2 + coordinatesHeight) / 2;
    painter->setFont(type);
    painter->setPen(palette.color(QPalette::Text));
    painter->drawText(QRect(textLeft, top, textWidth, typeHeight), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data(Qt::DisplayRole).toString());
    painter->setFont(coordinates);
    painter->setPen(secondary);
    painter->drawText(QRect(textLeft, top + typeHeight + 2, textWidth, coordinatesHeight),
                      Qt::AlignLeft | Qt::AlignVCenter, index.data(RecordedClicksModel::CoordinatesRole).toString());
    painter->restore();
}

}  // namespace clicktrove
