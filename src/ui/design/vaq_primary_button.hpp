#pragma once

#include "ui/design/hover_button.hpp"
#include "ui/design/shadow_underlay.hpp"
#include "ui/design/theme_gradient.hpp"

#include <QPointer>
#include <QString>
#include <functional>

namespace clicktrove {

// The full-width gradient button: white icon and bold label centred on the gradient, a purple shadow whatever
// the gradient, shrinking a little and glowing stronger while the pointer is over it. The action runs once per
// click (also for Space on the focused button). It takes the width its layout offers; callers give a fixed
// width where they want one. Dimmed (setDimming below 1), it casts no shadow.
class VaqPrimaryButton final : public HoverButton {
    Q_OBJECT
public:
    VaqPrimaryButton(QString label, QString icon, ThemeGradient gradient, std::function<void()> action,
                     QWidget* parent = nullptr);
    explicit VaqPrimaryButton(QWidget* parent = nullptr);

    const ThemeGradient& gradient() const { return gradient_; }
    void setGradient(const ThemeGradient& gradient);

    // The look at rest and hovered: scale of the content and the shadow's radius and opacity.
    struct Look {
        qreal scale;
        qreal shadowRadius;
        qreal shadowOpacity;
    };
    static Look lookFor(bool hovered);
    // The look being shown now (between the two while the spring runs).
    Look currentLook() const;

    // What draws the button's purple shadow beneath it.
    ShadowUnderlay* shadowUnderlay() const { return shadow_.data(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void hoverProgressChanged() override;

private:
    ThemeGradient gradient_;
    // A sibling, so its parent may delete it first.
    QPointer<ShadowUnderlay> shadow_;
};

}  // namespace clicktrove
