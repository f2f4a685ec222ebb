#include "ui/shell/toast_view.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <algorithm>

namespace clicktrove {

namespace {

constexpr int kShadow = 16;  // room around the bubble for its shadow
constexpr int kPadX = 18;
constexpr int kPadY = 10;
constexpr int kIcon = 16;
constexpr int kSpacing = 8;
constexpr double kRadius = 20;

QFont messageFont() {
    return designFont(13, QFont::DemiBold);
}

}  // namespace

ToastView::ToastView(QWidget* parent) : QWidget(parent) {
    setObjectName("Toast");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    slide_ = new QPropertyAnimation(this, "pos", this);
    slide_->setDuration(400);
    slide_->setEasingCurve(QEasingCurve::OutBack);
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
}

void ToastView::setAccent(AccentThemeColor accent) {
    if (accent == accent_) return;
    accent_ = accent;
    update();
}

QString ToastView::symbol() const {
    return failure_ ? QStringLiteral("xmark.octagon.fill") : QStringLiteral("checkmark.circle.fill");
}

void ToastView::setMessage(const std::optional<QString>& message, bool failure) {
    if (!message) {
        showing_ = false;
        slide_->stop();
        hide();
        return;
    }
    const bool entering = !showing_;
    message_ = *message;
    failure_ = failure;
    showing_ = true;
    if (!area_.isNull()) {
        const QRect target = targetGeometry(area_, keepClear_);
        setGeometry(target);
        if (entering) {
            slide_->stop();
            slide_->setStartValue(QPoint(target.x(), -target.height()));
            slide_->setEndValue(target.topLeft());
            move(target.x(), -target.height());
            slide_->start();
        }
    }
    show();
    raise();
    update();
}

void ToastView::placeIn(const QRect& area, const QRect& keepClear) {
    area_ = area;
    keepClear_ = keepClear;
    if (!showing_) return;
    const QRect target = targetGeometry(area, keepClear);
    if (slide_->state() == QAbstractAnimation::Running) {
        slide_->setEndValue(target.topLeft());
        resize(target.size());
    } else {
        setGeometry(target);
    }
}

QSize ToastView::bubbleSize(int maxWidth) const {
    const QFontMetrics fm(messageFont());
    const int textMax = std::max(40, maxWidth - 2 * kPadX - kIcon - kSpacing);
    const QRect text = fm.boundingRect(QRect(0, 0, textMax, 10000), Qt::TextWordWrap, message_);
    return {2 * kPadX + kIcon + kSpacing + text.width(), 2 * kPadY + std::max(kIcon, text.height())};
}

QRect ToastView::targetGeometry(const QRect& area, const QRect& keepClear) const {
    const QSize size = bubbleSize(area.width() - 2 * kTopSpace);
    QRect bubble(QPoint(area.x() + (area.width() - size.width()) / 2, area.y() + kTopSpace), size);
    if (!keepClear.isEmpty() && bubble.intersects(keepClear.adjusted(-kKeepClearGap, 0, kKeepClearGap, 0))) {
        QRect beside = bubble;
        beside.moveLeft(keepClear.right() + 1 + kKeepClearGap);
        if (beside.right() <= area.right() - kTopSpace) {
            bubble = beside;
        } else {
            bubble.moveTop(keepClear.bottom() + 1 + kKeepClearGap);
        }
    }
    return bubble.adjusted(-kShadow, -kShadow, kShadow, kShadow);
}

QRect ToastView::restingBubbleGeometry() const {
    return targetGeometry(area_, keepClear_).adjusted(kShadow, kShadow, -kShadow, -kShadow);
}

void ToastView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF bubble = QRectF(rect()).adjusted(kShadow, kShadow, -kShadow, -kShadow);

    // Shadow: purple at 0.3, blurred about 12 points, 4 points down.
    for (int i = 6; i >= 1; --i) {
        const double grow = 12.0 * i / 6;
        const QPainterPath path =
            continuousRoundedRect(bubble.translated(0, 4).adjusted(-grow, -grow, grow, grow), kRadius + grow);
        p.fillPath(path, withOpacity(ThemeColors::purple(), 0.3 / 7));
    }

    const QPainterPath shape = continuousRoundedRect(bubble, kRadius);
    p.fillPath(shape, ThemeColors::surface());
    p.setPen(QPen(QBrush(ThemeGradient::accent(accent_).toLinearGradient(bubble, layoutDirection())), 1.5));
    p.drawPath(shape);

    const QRectF icon(bubble.left() + kPadX, bubble.center().y() - kIcon / 2.0, kIcon, kIcon);
    SymbolIcons::paint(p, icon, symbol(), failure_ ? ThemeColors::red() : ThemeColors::green(),
                       designFont(14, QFont::Bold));
    const QRectF text(icon.right() + kSpacing, bubble.top() + kPadY, bubble.right() - kPadX - icon.right() - kSpacing,
                      bubble.height() - 2 * kPadY);
    p.setFont(messageFont());
    p.setPen(ThemeColors::textPrimary());
    p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, message_);
}

}  // namespace clicktrove
