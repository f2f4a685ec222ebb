#pragma once

#include <QColor>
#include <QRectF>

class QPainter;
class QWidget;

namespace clicktrove {

// The keyboard focus ring of the custom controls: a 2-point outline along the control's own shape, inside its
// bounds, in the window's accent (its highlight colour). Controls filled with a strong colour of their own (the
// gradient buttons, a switch that is on) draw it in white instead, so it shows on any fill. It appears only
// while the focus came from the keyboard, as the toolkit's own controls do: clicking a control does not ring it.
namespace focus_ring {

inline constexpr qreal kWidth = 2.0;

bool isShown(const QWidget& widget);
// The accent ring colour for widget.
QColor color(const QWidget& widget);
// The ring on a filled control.
QColor onFillColor();

// Strokes the ring inside bounds along a continuous rounded rectangle of the given corner radius, when shown.
void paint(QPainter& painter, const QWidget& widget, const QRectF& bounds, qreal cornerRadius, bool onFill = false);
// The same along the ellipse inscribed in bounds.
void paintEllipse(QPainter& painter, const QWidget& widget, const QRectF& bounds, bool onFill = false);

}  // namespace focus_ring

}  // namespace clicktrove
