#pragma once

#include "app/design/theme_gradient.hpp"

#include <QAbstractButton>
#include <QString>
#include <functional>

class QVariantAnimation;

namespace clicktrove {

class SoftShadowEffect;

// The full-width gradient button: white icon and bold label centred on the gradient, a purple shadow whatever
// the gradient, shrinking a little and glowing stronger while the pointer is over it. The action runs once per
// click (also for Space on the focused button). It takes the width its layout offers; callers give a fixed
// width where they want one.
class VaqPrimaryButton final : public QAbstractButton {
    Q_OBJECT
public:
    VaqPrimaryButton(QString label, QString icon, ThemeGradient gradient, std::function<void()> action,
                     QWidget* parent = nullptr);
    explicit VaqPrimaryButton(QWidget* parent = nullptr);

    QString label() const { return label_; }
    QString symbol() const { return symbol_; }
    const ThemeGradient& gradient() const { return gradient_; }
    bool isHovered() const { return isHovered_; }

    void setLabel(const QString& label);
    void setSymbol(const QString& symbol);
    void setGradient(const ThemeGradient& gradient);
    void setAction(std::function<void()> action);

    // The look at rest and hovered: scale of the content and the shadow's radius and opacity.
    struct Look {
        qreal scale;
        qreal shadowRadius;
        qreal shadowOpacity;
    };
    static Look lookFor(bool hovered);
    // The look being shown now (between the two while the spring runs).
    Look currentLook() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovered(bool hovered);
    void applyProgress(qreal progress);

    QString label_;
    QString symbol_;
    ThemeGradient gradient_;
    std::function<void()> action_;
    bool isHovered_ = false;
    qreal progress_ = 0.0;  // 0 at rest, 1 hovered; overshoots a little with the spring
    QVariantAnimation* animation_ = nullptr;
    SoftShadowEffect* shadow_ = nullptr;
};

}  // namespace clicktrove
