#include "ui/design/help_popover.hpp"

#include "platform/qt/x11_compositing.hpp"
#include "ui/design/design_font.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace clicktrove {

namespace {

constexpr int kGap = 2;  // between the button and the pointer's tip

bool darkFor(const QWidget* anchor) {
    return ThemeAppearance::isDarkFor(anchor);
}

}  // namespace

HelpPopover::HelpPopover(const QString& text, QWidget* anchor, std::function<void()> onHidden)
    : QFrame(anchor, Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint),
      anchor_(anchor),
      onHidden_(std::move(onHidden)) {
    setObjectName(QStringLiteral("InfoPopover"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::NoFrame);
    // Without a compositor an alpha channel shows black around the bubble: the window is cut to its shape instead.
    translucent_ = platform::isCompositingActive();
    if (translucent_) setAttribute(Qt::WA_TranslucentBackground);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kPadding, kPadding + kPointerHeight, kPadding, kPadding);
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("InfoText"));
    label_->setWordWrap(true);
    label_->setFont(designFont(12));
    // Three points of line spacing on top of the font's own.
    label_->setText(QStringLiteral("<div style=\"line-height:%1px\">%2</div>")
                        .arg(QFontMetrics(label_->font()).lineSpacing() + 3)
                        .arg(text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>"))));
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, ThemeColors::textPrimary(darkFor(anchor)));
    label_->setPalette(palette);
    layout->addWidget(label_);

    const int textWidth = kWidth - 2 * kPadding;
    const int textHeight = label_->heightForWidth(textWidth);
    bubbleHeight_ = 2 * kPadding + (textHeight > 0 ? textHeight : label_->sizeHint().height());
    setFixedSize(kWidth, bubbleHeight_ + kPointerHeight);
}

QRectF HelpPopover::bubbleRect() const {
    return {0, pointsUp_ ? qreal(kPointerHeight) : 0.0, qreal(kWidth), qreal(bubbleHeight_)};
}

void HelpPopover::popUp() {
    QRect anchorRect;
    QRect area = QGuiApplication::primaryScreen() != nullptr ? QGuiApplication::primaryScreen()->availableGeometry()
                                                             : QRect(0, 0, 1920, 1080);
    if (anchor_) {
        anchorRect = QRect(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size());
        if (const QScreen* screen = anchor_->screen()) area = screen->availableGeometry();
    }
    placeAt(anchorRect, area);
    show();
}

void HelpPopover::placeAt(const QRect& anchor, const QRect& area) {
    const int height = bubbleHeight_ + kPointerHeight;
    const int below = anchor.bottom() + 1 + kGap;
    pointsUp_ = below + height <= area.bottom() + 1 || anchor.top() - kGap - height < area.top();
    const int top = pointsUp_ ? below : anchor.top() - kGap - height;
    const qreal centre = anchor.left() + anchor.width() / 2.0;
    const int left = std::clamp(static_cast<int>(centre) - kWidth / 2, area.left(),
                                std::max(area.left(), area.right() + 1 - kWidth));
    // The pointer stays clear of the bubble's rounded corners, however near the screen edge the button is.
    const qreal margin = kCornerRadius + kPointerWidth / 2.0;
    tip_ = QPointF(std::clamp(centre - left, margin, kWidth - margin), pointsUp_ ? 0.0 : qreal(height));
    if (auto* box = qobject_cast<QVBoxLayout*>(layout())) {
        box->setContentsMargins(kPadding, kPadding + (pointsUp_ ? kPointerHeight : 0), kPadding,
                                kPadding + (pointsUp_ ? 0 : kPointerHeight));
    }
    move(left, top);
    if (!translucent_) setMask(QRegion(outline().toFillPolygon().toPolygon()));
    update();
}

QPainterPath HelpPopover::outline() const {
    const QRectF bubble = bubbleRect();
    QPainterPath path = continuousRoundedRect(bubble.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius);
    QPainterPath pointer;
    const qreal base = pointsUp_ ? bubble.top() + 1 : bubble.bottom() - 1;
    const qreal tipY = pointsUp_ ? tip_.y() + 0.5 : tip_.y() - 0.5;
    pointer.moveTo(tip_.x() - kPointerWidth / 2.0, base);
    pointer.lineTo(tip_.x(), tipY);
    pointer.lineTo(tip_.x() + kPointerWidth / 2.0, base);
    pointer.closeSubpath();
    return path.united(pointer);
}

void HelpPopover::mousePressEvent(QMouseEvent* event) {
    if (!rect().contains(event->position().toPoint()) && anchor_ != nullptr &&
        anchor_->rect().contains(anchor_->mapFromGlobal(event->globalPosition().toPoint()))) {
        setAttribute(Qt::WA_NoMouseReplay);
    }
    QFrame::mousePressEvent(event);
}

void HelpPopover::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    // Closed by a click elsewhere or by the button: either way the button must know at once, not when the
    // deferred deletion runs.
    if (onHidden_) std::exchange(onHidden_, nullptr)();
}

void HelpPopover::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (!translucent_) setMask(QRegion(outline().toFillPolygon().toPolygon()));
}

void HelpPopover::paintEvent(QPaintEvent*) {
    const bool dark = darkFor(anchor_);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath shape = outline();
    painter.fillPath(shape, ThemeColors::surface(dark));
    QPen pen(ThemeColors::border(dark), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.setPen(pen);
    painter.drawPath(shape);
}

}  // namespace clicktrove
