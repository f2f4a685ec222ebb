#pragma once

#include <QColor>
#include <QStyledItemDelegate>
#include <functional>

namespace clicktrove {

// Draws one recorded click: a pointer symbol in the accent colour, the click type over its coordinates, and the
// delay at the trailing edge, in the platform's look.
class RecordedClickDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // accent is asked at every drawing, so a changed accent shows at the next repaint.
    explicit RecordedClickDelegate(std::function<QColor()> accent, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::function<QColor()> accent_;
};

}  // namespace clicktrove
