#include "ui/screens/about_link_card.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/view_fonts.hpp"
#include "ui/screens/semantic_colors.hpp"

#include <QDesktopServices>
#include <QEasingCurve>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace clicktrove {

namespace {
constexpr int kPadding = 16;
constexpr int kBadge = 42;
constexpr int kSpacing = 12;
}  // namespace

AboutLinkCard::AboutLinkCard(QColor color, const char* symbolName, QString title, QString subtitle, QUrl url,
                             QWidget* parent)
    : QAbstractButton(parent),
      color_(std::move(color)),
      symbolName_(symbolName),
      subtitle_(std::move(subtitle)),
      url_(std::move(url)) {
    setText(title);
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    animation_ = new QVariantAnimation(this);
    // Springy, close to a spring of 0.3 s response and 0.7 damping.
    animation_->setDuration(300);
    animation_->setEasingCurve(QEasingCurve(QEasingCurve::OutBack));
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        progress_ = value.toDouble();
        update();
    });
    // The page ignores whether a handler took the link.
    connect(this, &QAbstractButton::clicked, this, [this] { QDesktopServices::openUrl(url_); });
}

QSize AboutLinkCard::sizeHint() const {
    const QFontMetrics title(ViewFonts::system(13, QFont::DemiBold));
    const QFontMetrics caption(ViewFonts::style(ViewFonts::Style::caption));
    const int textWidth = std::max(title.horizontalAdvance(text()), caption.horizontalAdvance(subtitle_));
    const int textHeight = title.height() + 2 + caption.height();
    return {2 * kPadding + kBadge + kSpacing + textWidth + kSpacing + 12, 2 * kPadding + std::max(kBadge, textHeight)};
}

QSize AboutLinkCard::minimumSizeHint() const {
    return {2 * kPadding + kBadge + kSpacing + 40, sizeHint().height()};
}

void AboutLinkCard::enterEvent(QEnterEvent*) {
    setHovered(true);
}

void AboutLinkCard::leaveEvent(QEvent*) {
    setHovered(false);
}

void AboutLinkCard::setHovered(bool hovered) {
    if (hovered == hovered_) return;
    hovered_ = hovered;
    animation_->stop();
    animation_->setStartValue(progress_);
    animation_->setEndValue(hovered ? 1.0 : 0.0);
    animation_->start();
}

void AboutLinkCard::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const double scale = 1.0 + (kHoveredScale - 1.0) * progress_;
    const QRectF bounds = rect();
    p.translate(bounds.center());
    p.scale(scale, scale);
    p.translate(-bounds.center());

    // Drawn a hair inside so the grown card and its border still fit the widget.
    const QRectF card = bounds.adjusted(2, 1, -2, -1);
    const double fill = 0.5 + (0.9 - 0.5) * progress_;
    const double border = 0.1 + (0.4 - 0.1) * progress_;
    p.setBrush(SemanticColors::withOpacity(SemanticColors::controlBackground(palette()), fill));
    p.setPen(QPen(SemanticColors::withOpacity(color_, border), 1));
    p.drawRoundedRect(card, 12, 12);

    const QRectF content = card.adjusted(kPadding - 2, kPadding - 1, -(kPadding - 2), -(kPadding - 1));
    const QRectF badge(content.left(), content.center().y() - kBadge / 2.0, kBadge, kBadge);
    p.setPen(Qt::NoPen);
    p.setBrush(SemanticColors::withOpacity(color_, 0.15));
    p.drawEllipse(badge);
    const QFont glyphFont = designFont(16, QFont::DemiBold);
    const double glyph = SymbolIcons::extent(glyphFont);
    SymbolIcons::paint(p, QRectF(badge.center().x() - glyph / 2, badge.center().y() - glyph / 2, glyph, glyph),
                       QString::fromLatin1(symbolName_), color_, glyphFont);

    const QColor secondary = SemanticColors::secondaryLabel(palette());
    const QFont arrowFont = ViewFonts::style(ViewFonts::Style::caption);
    const double arrow = SymbolIcons::extent(arrowFont);
    const QRectF arrowRect(content.right() - arrow, content.center().y() - arrow / 2.0, arrow, arrow);
    SymbolIcons::paint(p, arrowRect, QStringLiteral("arrow.up.right"), secondary, arrowFont);

    const QFont titleFont = ViewFonts::system(13, QFont::DemiBold);
    const QFont subtitleFont = ViewFonts::style(ViewFonts::Style::caption);
    const QFontMetrics tm(titleFont);
    const QFontMetrics sm(subtitleFont);
    const double left = badge.right() + kSpacing;
    const double width = arrowRect.left() - kSpacing - left;
    const double top = content.center().y() - (tm.height() + 2 + sm.height()) / 2.0;
    p.setFont(titleFont);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRectF(left, top, width, tm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               tm.elidedText(text(), Qt::ElideRight, static_cast<int>(width)));
    p.setFont(subtitleFont);
    p.setPen(secondary);
    p.drawText(QRectF(left, top + tm.height() + 2, width, sm.height()), Qt::AlignLeft | Qt::AlignVCenter,
               sm.elidedText(subtitle_, Qt::ElideRight, static_cast<int>(width)));
    focus_ring::paint(p, *this, card, 12);
}

}  // namespace clicktrove
