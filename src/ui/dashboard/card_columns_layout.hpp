#pragma once

#include <QLayout>
#include <QList>

namespace clicktrove {

// The Dashboard's setting cards, one under the other, or in two columns side by side wherever the width holds
// two: the first leadingCount cards in the leading column, the rest in the trailing one, both from the top. One
// column of all of them is taller than a 1366 x 768 laptop screen; two fit it. A card added centred keeps its
// natural width in the middle of its column; every other card fills its column's width. Its minimum width is
// the one-column minimum, so the two columns never widen the window: they appear only where the room is there.
class CardColumnsLayout final : public QLayout {
public:
    CardColumnsLayout(int leadingCount, int spacing, QWidget* parent = nullptr);
    ~CardColumnsLayout() override;

    void addCard(QWidget* card, Qt::Alignment alignment = {});

    // Whether the cards stand in two columns at this width (of the layout's area, margins included).
    bool isSplitAt(int width) const;

    void addItem(QLayoutItem* item) override;
    int count() const override { return static_cast<int>(items_.size()); }
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    void setGeometry(const QRect& rect) override;

private:
    // The width a card needs: its natural width when centred, its minimum width when it fills the column.
    int neededWidth(const QLayoutItem& item) const;
    int columnWidth(int innerWidth, bool split) const;
    // Lays the cards out in the inner rect, or only measures the height they take when place is false.
    int arrange(const QRect& inner, bool place) const;

    int leadingCount_;
    QList<QLayoutItem*> items_;
};

}  // namespace clicktrove
