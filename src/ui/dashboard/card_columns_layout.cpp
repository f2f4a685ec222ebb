#include "ui/dashboard/card_columns_layout.hpp"

#include <QLayoutItem>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace clicktrove {

CardColumnsLayout::CardColumnsLayout(int leadingCount, int spacing, QWidget* parent)
    : QLayout(parent), leadingCount_(leadingCount) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(spacing);
}

CardColumnsLayout::~CardColumnsLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void CardColumnsLayout::addCard(QWidget* card, Qt::Alignment alignment) {
    addChildWidget(card);
    auto* item = new QWidgetItemV2(card);
    item->setAlignment(alignment);
    addItem(item);
}

void CardColumnsLayout::addItem(QLayoutItem* item) {
    items_.append(item);
    invalidate();
}

QLayoutItem* CardColumnsLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* CardColumnsLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size()) return nullptr;
    QLayoutItem* item = items_.takeAt(index);
    invalidate();
    return item;
}

int CardColumnsLayout::neededWidth(const QLayoutItem& item) const {
    const int minimum = item.minimumSize().width();
    return item.alignment().testFlag(Qt::AlignHCenter) ? std::max(minimum, item.sizeHint().width()) : minimum;
}

bool CardColumnsLayout::isSplitAt(int width) const {
    if (leadingCount_ <= 0 || leadingCount_ >= items_.size()) return false;
    const QMargins margins = contentsMargins();
    const int inner = width - margins.left() - margins.right();
    int needed = 0;
    for (const QLayoutItem* item : items_) {
        if (!item->isEmpty()) needed = std::max(needed, neededWidth(*item));
    }
    return needed > 0 && columnWidth(inner, true) >= needed;
}

int CardColumnsLayout::columnWidth(int innerWidth, bool split) const {
    return split ? (innerWidth - spacing()) / 2 : innerWidth;
}

int CardColumnsLayout::arrange(const QRect& inner, bool place) const {
    const QMargins margins = contentsMargins();
    const bool split = isSplitAt(inner.width() + margins.left() + margins.right());
    const int width = columnWidth(inner.width(), split);
    const Qt::LayoutDirection direction = parentWidget() ? parentWidget()->layoutDirection() : Qt::LeftToRight;
    int bottom[2] = {inner.top(), inner.top()};
    bool started[2] = {false, false};
    for (int i = 0; i < items_.size(); ++i) {
        QLayoutItem* item = items_.at(i);
        if (item->isEmpty()) continue;
        const int column = split && i >= leadingCount_ ? 1 : 0;
        if (started[column]) bottom[column] += spacing();
        started[column] = true;

        const bool centred = item->alignment().testFlag(Qt::AlignHCenter);
        const int cardWidth =
            centred ? std::clamp(item->sizeHint().width(), std::min(item->minimumSize().width(), width), width) : width;
        const int height =
            std::max(item->hasHeightForWidth() ? item->heightForWidth(cardWidth) : item->sizeHint().height(),
                     item->minimumSize().height());
        if (place) {
            const int columnLeft = inner.left() + column * (width + spacing());
            const QRect cell(columnLeft + (width - cardWidth) / 2, bottom[column], cardWidth, height);
            item->setGeometry(QStyle::visualRect(direction, inner, cell));
        }
        bottom[column] += height;
    }
    return std::max(bottom[0], bottom[1]) - inner.top();
}

int CardColumnsLayout::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const QRect inner(0, 0, width - margins.left() - margins.right(), 0);
    return arrange(inner, false) + margins.top() + margins.bottom();
}

QSize CardColumnsLayout::sizeHint() const {
    // One column: the layout asks for no more room than the one-column stack; a second column is a bonus of space.
    int width = 0;
    for (const QLayoutItem* item : items_) {
        if (!item->isEmpty()) width = std::max(width, item->sizeHint().width());
    }
    const QMargins margins = contentsMargins();
    width += margins.left() + margins.right();
    return {width, heightForWidth(width)};
}

QSize CardColumnsLayout::minimumSize() const {
    // The height follows the width (heightForWidth), so the minimum height is only that of the tallest card: a
    // one-column minimum would keep a scroll area from ever showing the two columns without scrolling.
    int width = 0;
    int height = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        width = std::max(width, item->minimumSize().width());
        height = std::max(height, item->minimumSize().height());
    }
    const QMargins margins = contentsMargins();
    return {width + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

void CardColumnsLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    arrange(rect.marginsRemoved(contentsMargins()), true);
}

}  // namespace clicktrove
