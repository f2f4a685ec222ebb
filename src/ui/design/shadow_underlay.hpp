#pragma once

#include "ui/design/drop_shadow.hpp"

#include <QMargins>
#include <QPointer>
#include <QWidget>

namespace clicktrove {

// Draws a widget's drop shadow beneath it: a sibling of the widget, stacked just under it, that follows its
// geometry, visibility, parent and stacking, and paints the shadow from ShadowPixmapCache. A QGraphicsEffect
// would render the widget and its whole subtree off-screen and blur it again on every update of any child (a
// live chart, a counter, a pulsing dot); the underlay repaints only when the widget moves or resizes or the shadow
// changes, and a child's update costs it at most a clipped copy of the cached pixmap. It lets the mouse through.
// While the widget has no parent widget the underlay waits, hidden, inside it; it goes with the widget.
//
// A parent too tight for the shadow (a button in a row exactly its size) would clip it to a square box: the
// underlay then sits further up, in the nearest ancestor with room for it, stacked under the branch that holds
// the widget. It never goes above a surface (a widget marked with markSurface(), which paints an opaque body the
// shadow must lie on, not under), a window, or the content of a scroll area; there, what does not fit is cut.
class ShadowUnderlay final : public QWidget {
    Q_OBJECT
public:
    ShadowUnderlay(QWidget* target, const DropShadow& shadow);

    QWidget* target() const { return target_; }
    const DropShadow& shadow() const { return shadow_; }
    void setShadow(const DropShadow& shadow);
    // The shadow of the widget shrunk about its centre by this factor (a button drawn smaller while hovered).
    qreal shapeScale() const { return scale_; }
    void setShapeScale(qreal scale);
    // Keeps room for shadows up to this blur radius, so a shadow whose radius animates repaints in place rather
    // than moving the underlay at every step.
    void reserveRadius(qreal radius);
    // The widget fills its shape with an opaque body, so no shadow shows under it: a repaint there (a child of the
    // widget changed) paints nothing.
    void setTargetOpaque(bool opaque) { targetOpaque_ = opaque; }
    // The casting shape in this widget's coordinates.
    QRectF shapeRect() const;

    // Marks widget as one that paints an opaque body: shadows of the widgets inside it are drawn on it.
    static void markSurface(QWidget* widget);
    static bool isSurface(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void attach();
    void follow();
    // The widget the underlay belongs in now: the target's parent, or an ancestor with room (see above).
    QWidget* host() const;
    // The ancestors whose moves, sizes and stacking decide where the underlay goes: from the target's parent up to
    // the highest it may go.
    QList<QWidget*> ancestors() const;
    void watchAncestors();
    // The target's rectangle, shadow included, in the coordinates of host.
    QRect reachIn(const QWidget* host) const;

    QPointer<QWidget> target_;
    QList<QPointer<QWidget>> watched_;
    DropShadow shadow_;
    qreal scale_ = 1.0;
    qreal reservedRadius_ = 0.0;
    bool targetOpaque_ = false;
    QMargins margins_;
};

}  // namespace clicktrove
