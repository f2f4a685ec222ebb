#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QUrl>

class QVariantAnimation;

namespace clicktrove {

// One clickable card of the About page's links row: an icon badge in the card colour, a title and subtitle
// and an outward arrow. The whole card is the click target and opens its URL with the desktop's handler; while
// the pointer is over it, its fill and border grow stronger and it grows by 1 %.
class AboutLinkCard final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr double kHoveredScale = 1.01;

    AboutLinkCard(QColor color, const char* symbolName, QString title, QString subtitle, QUrl url,
                  QWidget* parent = nullptr);

    const QUrl& url() const { return url_; }
    const QString& subtitle() const { return subtitle_; }
    bool isHovered() const { return hovered_; }
    // Fill opacity, border opacity and scale the card is at or animating to.
    double targetFillOpacity() const { return hovered_ ? 0.9 : 0.5; }
    double targetBorderOpacity() const { return hovered_ ? 0.4 : 0.1; }
    double targetScale() const { return hovered_ ? kHoveredScale : 1.0; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHovered(bool hovered);

    QColor color_;
    const char* symbolName_;
    QString subtitle_;
    QUrl url_;
    bool hovered_ = false;
    double progress_ = 0;  // 0 at rest, 1 hovered
    QVariantAnimation* animation_ = nullptr;
};

}  // namespace clicktrove
