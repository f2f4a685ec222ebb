#pragma once

#include <QFrame>
#include <QPointer>
#include <functional>

class QLabel;

namespace clicktrove {

// The help bubble of the info buttons: the text in the callout font with three points of extra line spacing,
// 14 points inside a 260-point-wide bubble whose height follows the text, and a pointer from the bubble to the
// button it belongs to. It opens under the button (pointing up), or above it (pointing down) where the screen
// has no room below. A click outside closes it like any popup; a click on its own button only closes it, so
// that the button does not open it again at once. Deletes itself when closed.
class HelpPopover final : public QFrame {
    Q_OBJECT
public:
    static constexpr int kWidth = 260;
    static constexpr int kPadding = 14;
    static constexpr int kPointerHeight = 8;
    static constexpr int kPointerWidth = 16;
    static constexpr qreal kCornerRadius = 10.0;

    // onHidden runs once, when the popover is hidden by whatever means.
    HelpPopover(const QString& text, QWidget* anchor, std::function<void()> onHidden);

    // Places the popover at its button and shows it.
    void popUp();

    QLabel* label() const { return label_; }
    // Where the pointer's tip is, in the popover's coordinates, and whether the bubble lies below the button.
    QPointF pointerTip() const { return tip_; }
    bool pointsUp() const { return pointsUp_; }
    // The bubble without the pointer, in the popover's coordinates.
    QRectF bubbleRect() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPainterPath outline() const;
    void placeAt(const QRect& anchorGlobal, const QRect& screenArea);

    QPointer<QWidget> anchor_;
    std::function<void()> onHidden_;
    QLabel* label_ = nullptr;
    int bubbleHeight_ = 0;
    bool pointsUp_ = true;
    QPointF tip_;
    bool translucent_ = false;
};

}  // namespace clicktrove
