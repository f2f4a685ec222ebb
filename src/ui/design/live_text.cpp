#include "ui/design/live_text.hpp"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>

namespace clicktrove {

LiveText::LiveText(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void LiveText::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    // What a screen reader reads, as it would a label's text.
    setAccessibleName(text_);
    // Only a text wider than the place it has needs the layouts; a narrower one is drawn where the old one was.
    // Measuring a text shapes it, as drawing it does once more; a counter whose characters could not fill the
    // width even at their plain advances is not measured at all.
    if (mightOutgrow(text_) && sizeHint().width() > width()) updateGeometry();
    update();
}

bool LiveText::mightOutgrow(const QString& text) const {
    const QFontMetrics metrics(font());
    int bound = 0;
    // A pixel per character above the plain advances covers what kerning and rounding could add.
    for (const QChar c : text) bound += metrics.horizontalAdvance(c) + 1;
    return bound > width();
}

void LiveText::setAlignment(Qt::Alignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

QSize LiveText::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text_), metrics.height()};
}

QSize LiveText::minimumSizeHint() const {
    return sizeHint();
}

void LiveText::paintEvent(QPaintEvent*) {
    if (text_.isEmpty()) return;
    QPainter painter(this);
    style()->drawItemText(&painter, rect(), static_cast<int>(QStyle::visualAlignment(layoutDirection(), alignment_)),
                          palette(), isEnabled(), text_, foregroundRole());
}

void LiveText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) updateGeometry();
    QWidget::changeEvent(event);
}

}  // namespace clicktrove
