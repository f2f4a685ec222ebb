#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace clicktrove {

// An on/off switch without a label: a rounded track, filled with the window's accent (its highlight colour) when
// on, and a white knob that slides to the on side. Checkable; a click toggles it.
class SwitchToggle final : public QAbstractButton {
    Q_OBJECT
public:
    explicit SwitchToggle(QWidget* parent = nullptr);

    // An opacity over everything the switch draws, on top of its own disabled look: a screen dims a switch this
    // way without an opacity effect re-rendering it.
    qreal dimming() const { return dimming_; }
    void setDimming(qreal opacity);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal position_ = 0.0;  // 0 off, 1 on; animated between
    qreal dimming_ = 1.0;
    QVariantAnimation* slide_ = nullptr;
};

}  // namespace clicktrove
