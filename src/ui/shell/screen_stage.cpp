#include "ui/shell/screen_stage.hpp"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QPainter>
#include <QVariantAnimation>
#include <cmath>

namespace clicktrove {

ScreenStage::ScreenStage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DetailArea"));
    animation_ = new QVariantAnimation(this);
    animation_->setDuration(kDurationMs);
    animation_->setEasingCurve(QEasingCurve::InOutQuad);
    animation_->setStartValue(0.0);
    animation_->setEndValue(1.0);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) { setProgress(v.toReal()); });
    connect(animation_, &QVariantAnimation::finished, this, &ScreenStage::finish);
}

void ScreenStage::present(QWidget* next, bool animate) {
    animation_->stop();
    if (current_) {
        // The old screen goes at once; what stays of it during the transition is a picture.
        outgoing_ = animate && isVisible() ? current_->grab() : QPixmap();
        current_->hide();
        current_->deleteLater();
    }
    current_ = next;
    if (current_ == nullptr) return;
    current_->setParent(this);
    // A screen with an effect of its own keeps it and appears at once.
    const bool transition = animate && isVisible() && current_->graphicsEffect() == nullptr;
    if (!transition) outgoing_ = QPixmap();
    if (transition) {
        // Removed when the transition ends, so it costs nothing afterwards.
        auto* fade = new QGraphicsOpacityEffect(current_);
        fade->setOpacity(0.0);
        current_->setGraphicsEffect(fade);
        progress_ = 0.0;
    } else {
        progress_ = 1.0;
    }
    place();
    current_->show();
    updateGeometry();
    if (transition) animation_->start();
    update();
}

bool ScreenStage::isTransitioning() const {
    return animation_->state() == QAbstractAnimation::Running;
}

int ScreenStage::travel() const {
    // The trailing edge is on the right, or on the left in a right-to-left layout.
    return layoutDirection() == Qt::RightToLeft ? -width() : width();
}

int ScreenStage::incomingOffset() const {
    return static_cast<int>(std::lround((1.0 - progress_) * travel()));
}

void ScreenStage::setProgress(qreal progress) {
    progress_ = progress;
    if (current_) {
        if (auto* fade = qobject_cast<QGraphicsOpacityEffect*>(current_->graphicsEffect())) fade->setOpacity(progress);
    }
    place();
    update();
}

void ScreenStage::finish() {
    progress_ = 1.0;
    outgoing_ = QPixmap();
    if (current_ && qobject_cast<QGraphicsOpacityEffect*>(current_->graphicsEffect())) {
        current_->setGraphicsEffect(nullptr);
    }
    place();
    update();
}

void ScreenStage::place() {
    if (current_) current_->setGeometry(rect().translated(incomingOffset(), 0));
}

QSize ScreenStage::sizeHint() const {
    return current_ ? current_->sizeHint() : QWidget::sizeHint();
}

QSize ScreenStage::minimumSizeHint() const {
    return current_ ? current_->minimumSizeHint().expandedTo(current_->minimumSize()) : QWidget::minimumSizeHint();
}

bool ScreenStage::event(QEvent* event) {
    // The screen is not in a layout: when its needs change, the window's layout must hear of it through the stage.
    if (event->type() == QEvent::LayoutRequest) updateGeometry();
    return QWidget::event(event);
}

void ScreenStage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    place();
}

void ScreenStage::paintEvent(QPaintEvent*) {
    if (outgoing_.isNull() || !isTransitioning()) return;
    QPainter painter(this);
    painter.setOpacity(1.0 - progress_);
    painter.drawPixmap(QPoint(static_cast<int>(std::lround(progress_ * travel())), 0), outgoing_);
}

}  // namespace clicktrove
