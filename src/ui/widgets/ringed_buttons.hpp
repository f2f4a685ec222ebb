#pragma once

#include "ui/design/focus_ring.hpp"

#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <utility>

namespace clicktrove {

// A push or tool button whose look comes from a style sheet (which should say "outline: none", so that no dotted
// rectangle is drawn), with the design's focus ring instead: shown only while the keyboard put the focus there,
// along the button's rounded edge; white on a filled button. It takes focus by Tab only.
template <class Button>
class Ringed final : public Button {
public:
    template <class... Args>
    explicit Ringed(Args&&... args) : Button(std::forward<Args>(args)...) {
        this->setFocusPolicy(Qt::TabFocus);
    }

    // The corner radius the ring follows, and whether the button is filled with a strong colour.
    void setRing(qreal cornerRadius, bool onFill) {
        radius_ = cornerRadius;
        onFill_ = onFill;
        this->update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        Button::paintEvent(event);
        QPainter painter(this);
        focus_ring::paint(painter, *this, QRectF(this->rect()), radius_, onFill_);
    }

private:
    qreal radius_ = 6.0;
    bool onFill_ = false;
};

using RingedPushButton = Ringed<QPushButton>;
using RingedToolButton = Ringed<QToolButton>;

}  // namespace clicktrove
