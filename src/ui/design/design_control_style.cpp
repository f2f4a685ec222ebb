#include "ui/design/design_control_style.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>
#include <QSlider>
#include <QStyleFactory>
#include <QStyleOption>

namespace clicktrove {

namespace {

constexpr qreal kOutline = 1.5;
constexpr int kArrowWidth = 24;
constexpr int kFieldPaddingX = 10;
constexpr int kFieldPaddingY = 6;
// QLineEdit's own margin on each side of its text.
constexpr int kLineEditMargin = 2;
constexpr int kTrackHeight = 4;
constexpr int kKnob = 16;
// The knob with room for its focus ring: the length the handle takes along the track.
constexpr int kHandleSpan = kKnob + 4;

bool darkFor(const QWidget* widget) {
    return ThemeAppearance::isDarkFor(widget);
}

QColor accentOf(const QStyleOption* option) {
    return option->palette.color(QPalette::Active, QPalette::Highlight);
}

bool keyboardFocus(const QStyleOption* option) {
    return (option->state & QStyle::State_HasFocus) && (option->state & QStyle::State_KeyboardFocusChange);
}

// The outline of an empty box or ring: the secondary text colour, which stands out from the card surface by more
// than 3 : 1 in both appearances; the accent under the pointer.
QColor emptyOutline(const QStyleOption* option, bool dark) {
    if ((option->state & QStyle::State_MouseOver) && (option->state & QStyle::State_Enabled)) return accentOf(option);
    return ThemeColors::textSecondary(dark);
}

void strokeFocusRing(QPainter* painter, const QStyleOption* option, const QPainterPath& path) {
    if (!keyboardFocus(option)) return;
    QPen pen(accentOf(option), focus_ring::kWidth);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(path);
}

// Centred square of side in rect.
QRectF centredSquare(const QRectF& rect, qreal side) {
    return {rect.center().x() - side / 2, rect.center().y() - side / 2, side, side};
}

void drawCheckBox(QPainter* painter, const QStyleOption* option, bool dark) {
    const QRectF outer = centredSquare(QRectF(option->rect), DesignControlStyle::kIndicatorSize);
    const QRectF box = centredSquare(outer, DesignControlStyle::kBoxSize);
    const bool on = option->state & (QStyle::State_On | QStyle::State_NoChange);
    const QPainterPath shape = continuousRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 4);
    if (on) {
        painter->fillPath(shape, accentOf(option));
        QPen tick(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter->setPen(tick);
        painter->setBrush(Qt::NoBrush);
        if (option->state & QStyle::State_NoChange) {
            painter->drawLine(QPointF(box.left() + 3.5, box.center().y()),
                              QPointF(box.right() - 3.5, box.center().y()));
        } else {
            QPainterPath check;
            check.moveTo(box.left() + box.width() * 0.24, box.top() + box.height() * 0.53);
            check.lineTo(box.left() + box.width() * 0.42, box.top() + box.height() * 0.71);
            check.lineTo(box.left() + box.width() * 0.77, box.top() + box.height() * 0.31);
            painter->drawPath(check);
        }
    } else {
        painter->fillPath(shape, ThemeColors::surface(dark));
        painter->setPen(QPen(emptyOutline(option, dark), kOutline));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(continuousRoundedRect(box.adjusted(0.75, 0.75, -0.75, -0.75), 3.5));
    }
    strokeFocusRing(painter, option, continuousRoundedRect(outer.adjusted(1, 1, -1, -1), 6));
}

void drawRadioButton(QPainter* painter, const QStyleOption* option, bool dark) {
    const QRectF outer = centredSquare(QRectF(option->rect), DesignControlStyle::kIndicatorSize);
    const QRectF ring = centredSquare(outer, DesignControlStyle::kBoxSize).adjusted(0.75, 0.75, -0.75, -0.75);
    const bool on = option->state & QStyle::State_On;
    painter->setBrush(ThemeColors::surface(dark));
    painter->setPen(QPen(on ? accentOf(option) : emptyOutline(option, dark), kOutline));
    painter->drawEllipse(ring);
    if (on) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(accentOf(option));
        painter->drawEllipse(centredSquare(ring, 6));
    }
    QPainterPath focus;
    focus.addEllipse(outer.adjusted(1, 1, -1, -1));
    strokeFocusRing(painter, option, focus);
}

// Two small chevrons, one up and one down, as a pop-up menu shows that it opens a list.
void drawUpDownChevrons(QPainter* painter, const QRectF& box, const QColor& colour) {
    const qreal w = 7, h = 3.5, gap = 2.5;
    const QPointF c = box.center();
    QPen pen(colour, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    QPainterPath up;
    up.moveTo(c.x() - w / 2, c.y() - gap / 2);
    up.lineTo(c.x(), c.y() - gap / 2 - h);
    up.lineTo(c.x() + w / 2, c.y() - gap / 2);
    QPainterPath down;
    down.moveTo(c.x() - w / 2, c.y() + gap / 2);
    down.lineTo(c.x(), c.y() + gap / 2 + h);
    down.lineTo(c.x() + w / 2, c.y() + gap / 2);
    painter->drawPath(up);
    painter->drawPath(down);
}

void drawField(QPainter* painter, const QStyleOption* option, bool dark) {
    const QRectF bounds(option->rect);
    painter->fillPath(continuousRoundedRect(bounds, DesignControlStyle::kFieldRadius), ThemeColors::surface(dark));
    const QColor border = (option->state & QStyle::State_MouseOver) && (option->state & QStyle::State_Enabled)
                              ? withOpacity(ThemeColors::textSecondary(dark), 0.6)
                              : ThemeColors::border(dark);
    QPen pen(border, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(continuousRoundedRect(borderRect(bounds), DesignControlStyle::kFieldRadius));
    strokeFocusRing(painter, option,
                    continuousRoundedRect(bounds.adjusted(1, 1, -1, -1), DesignControlStyle::kFieldRadius - 1));
}

void drawSlider(QPainter* painter, const QStyleOptionSlider* slider, const QRect& handle, bool dark) {
    const bool horizontal = slider->orientation == Qt::Horizontal;
    const QRectF bounds(slider->rect);
    // From the knob's centre at one end to its centre at the other.
    const qreal inset = kHandleSpan / 2.0;
    QRectF track = horizontal ? QRectF(bounds.left() + inset, bounds.center().y() - kTrackHeight / 2.0,
                                       bounds.width() - 2 * inset, kTrackHeight)
                              : QRectF(bounds.center().x() - kTrackHeight / 2.0, bounds.top() + inset, kTrackHeight,
                                       bounds.height() - 2 * inset);
    const qreal radius = kTrackHeight / 2.0;
    QPainterPath trackPath;
    trackPath.addRoundedRect(track, radius, radius);
    painter->fillPath(trackPath, ThemeColors::border(dark));
    const QPointF knobCentre = QRectF(handle).center();
    QRectF filled = track;
    if (horizontal) {
        const bool rtl = slider->direction == Qt::RightToLeft;
        if (rtl != slider->upsideDown) {
            filled.setLeft(knobCentre.x());
        } else {
            filled.setRight(knobCentre.x());
        }
    } else {
        if (slider->upsideDown) {
            filled.setBottom(knobCentre.y());
        } else {
            filled.setTop(knobCentre.y());
        }
    }
    QPainterPath filledPath;
    filledPath.addRoundedRect(filled, radius, radius);
    painter->fillPath(filledPath, accentOf(slider));

    const QRectF knob = centredSquare(QRectF(handle), kKnob).adjusted(0.5, 0.5, -0.5, -0.5);
    painter->setPen(QPen(QColor(0, 0, 0, dark ? 90 : 50), 1.0));
    painter->setBrush(Qt::white);
    painter->drawEllipse(knob);
    QPainterPath focus;
    focus.addEllipse(knob.adjusted(-2, -2, 2, 2));
    strokeFocusRing(painter, slider, focus);
}

// A date-time edit with a calendar pop-up paints itself as a pop-up menu's field and lays out its text there.
bool drawsAsField(const QWidget* widget) {
    const auto* edit = qobject_cast<const QDateTimeEdit*>(widget);
    return edit != nullptr && edit->calendarPopup();
}

bool isDesignControl(const QWidget* widget) {
    return qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QSlider*>(widget);
}

}  // namespace

DesignControlStyle::DesignControlStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {
    setObjectName(QStringLiteral("DesignControlStyle"));
}

DesignControlStyle& DesignControlStyle::instance() {
    // A child of the application object, which outlives every widget that draws with it.
    static DesignControlStyle* const style = [] {
        auto* s = new DesignControlStyle();
        if (qApp != nullptr) s->setParent(qApp);
        return s;
    }();
    return *style;
}

void DesignControlStyle::apply(QWidget* control) {
    if (control == nullptr || isApplied(control)) return;
    control->setStyle(&instance());
    control->setAttribute(Qt::WA_Hover);
}

void DesignControlStyle::applyToAll(QWidget* container) {
    if (container == nullptr) return;
    if (isDesignControl(container)) apply(container);
    for (QWidget* child : container->findChildren<QWidget*>()) {
        if (isDesignControl(child)) apply(child);
    }
}

bool DesignControlStyle::isApplied(const QWidget* control) {
    return control != nullptr && control->style() == &instance();
}

void DesignControlStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                       const QWidget* widget) const {
    const bool dark = darkFor(widget);
    switch (element) {
        case PE_IndicatorCheckBox:
        case PE_IndicatorRadioButton:
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            if (!(option->state & State_Enabled)) painter->setOpacity(0.5);
            if (element == PE_IndicatorCheckBox) {
                drawCheckBox(painter, option, dark);
            } else {
                drawRadioButton(painter, option, dark);
            }
            painter->restore();
            return;
        case PE_FrameFocusRect:
            // The indicators, fields and knobs draw their own ring; a dotted box around the label would be a second.
            if (isDesignControl(widget)) return;
            break;
        default:
            break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void DesignControlStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const {
    if (element == CE_ComboBoxLabel) {
        if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option)) {
            QStyleOptionComboBox copy(*combo);
            const QColor text = ThemeColors::textPrimary(darkFor(widget));
            copy.palette.setColor(QPalette::ButtonText, text);
            copy.palette.setColor(QPalette::Text, text);
            QProxyStyle::drawControl(element, &copy, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void DesignControlStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                            QPainter* painter, const QWidget* widget) const {
    const bool dark = darkFor(widget);
    if (control == CC_ComboBox) {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (!(option->state & State_Enabled)) painter->setOpacity(0.5);
        drawField(painter, option, dark);
        const QRect arrow = subControlRect(CC_ComboBox, option, SC_ComboBoxArrow, widget);
        drawUpDownChevrons(painter, QRectF(arrow), ThemeColors::textSecondary(dark));
        painter->restore();
        return;
    }
    if (control == CC_Slider) {
        if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option)) {
            painter->save();
            painter->setRenderHint(QPainter::Antialiasing);
            if (!(option->state & State_Enabled)) painter->setOpacity(0.5);
            drawSlider(painter, slider, subControlRect(CC_Slider, option, SC_SliderHandle, widget), dark);
            painter->restore();
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

int DesignControlStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return kIndicatorSize;
        case PM_CheckBoxLabelSpacing:
        case PM_RadioButtonLabelSpacing:
            return 4;  // with the 3 points the indicator keeps around its box: 7 to the label
        case PM_SliderLength:
        case PM_SliderControlThickness:
        case PM_SliderThickness:
            return kHandleSpan;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize DesignControlStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                           const QWidget* widget) const {
    if (type == CT_ComboBox) {
        const int textHeight = option != nullptr ? option->fontMetrics.height() : size.height();
        return {size.width() + kFieldPaddingX + kArrowWidth, std::max(size.height(), textHeight) + 2 * kFieldPaddingY};
    }
    if (type == CT_SpinBox && drawsAsField(widget)) {
        // A date picker with a calendar asks for its size as a spin box but is laid out as the pop-up field here
        // (padding and chevron, see SC_ComboBoxEditField): sized for spin buttons, its text lost its last digits.
        // The line edit inside keeps two points a side of its own.
        const QSize spinBox = QProxyStyle::sizeFromContents(type, option, size, widget);
        return {size.width() + kFieldPaddingX + kArrowWidth + 2 * kLineEditMargin, spinBox.height()};
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

QRect DesignControlStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                         SubControl subControl, const QWidget* widget) const {
    if (control == CC_ComboBox) {
        const QRect r = option->rect;
        QRect result;
        switch (subControl) {
            case SC_ComboBoxFrame:
                result = r;
                break;
            case SC_ComboBoxArrow:
                result = QRect(r.right() + 1 - kArrowWidth, r.top(), kArrowWidth, r.height());
                break;
            case SC_ComboBoxEditField:
                result = QRect(r.left() + kFieldPaddingX, r.top() + 2, r.width() - kFieldPaddingX - kArrowWidth,
                               r.height() - 4);
                break;
            case SC_ComboBoxListBoxPopup:
                return r;
            default:
                return QProxyStyle::subControlRect(control, option, subControl, widget);
        }
        return visualRect(option->direction, r, result);
    }
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

}  // namespace clicktrove
