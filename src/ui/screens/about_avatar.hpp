#pragma once

#include <QWidget>

class QVariantAnimation;

namespace clicktrove {

// The round badge with the author's initials at the top of the About page; it grows a little while the
// pointer is over it.
class AboutAvatar final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDiameter = 96;
    static constexpr double kHoveredScale = 1.05;

    AboutAvatar(QString initials, QWidget* parent = nullptr);

    bool isHovered() const { return hovered_; }
    // The scale the avatar is at or animating to.
    double targetScale() const { return hovered_ ? kHoveredScale : 1.0; }
    QSize sizeHint() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHovered(bool hovered);

    QString initials_;
    bool hovered_ = false;
    double scale_ = 1.0;
    QVariantAnimation* animation_ = nullptr;
};

}  // namespace clicktrove
