#pragma once

#include <QProxyStyle>

namespace clicktrove {

// The look of the toolkit's own controls where the screens use them (check boxes, radio buttons, pop-up menus,
// date pickers and sliders), drawn with the theme colours so that they sit with the design components in both
// appearances: a check box is a rounded square with a clearly visible outline until it is filled with the accent
// and checked; a radio button an outlined ring that takes the accent and a dot when chosen; a pop-up menu and a
// date picker look like the text fields (surface, border, 8-point corners) with a chevron; a slider a thin track
// filled with the accent up to a white knob. Keyboard focus shows as the accent ring of the custom controls.
// The accent is the control's highlight colour, which the main window sets to the user's accent. Everything else
// is Fusion's.
class DesignControlStyle final : public QProxyStyle {
    Q_OBJECT
public:
    // The one instance; it lives as long as the application.
    static DesignControlStyle& instance();
    // Gives control this style.
    static void apply(QWidget* control);
    // Gives it to every check box, radio button, combo box, date-time edit and slider inside container.
    static void applyToAll(QWidget* container);
    static bool isApplied(const QWidget* control);

    // The indicator's square, with room for the focus ring around the 14-point box.
    static constexpr int kIndicatorSize = 20;
    static constexpr int kBoxSize = 14;
    static constexpr int kIndicatorRingRoom = (kIndicatorSize - kBoxSize) / 2;
    static constexpr qreal kFieldRadius = 8.0;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                         const QWidget* widget = nullptr) const override;

private:
    DesignControlStyle();
};

}  // namespace clicktrove
