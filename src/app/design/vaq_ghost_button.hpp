#pragma once

#include "app/design/adaptive_color.hpp"

#include <QAbstractButton>
#include <QString>
#include <functional>

class QVariantAnimation;

namespace clicktrove {

// The compact outlined button: icon and label in its colour on a clear background with a neutral border at
// rest; while hovered the text turns primary, the background raised and the border takes the colour at half
// opacity. As wide as its content. The action runs once per click.
class VaqGhostButton final : public QAbstractButton {
    Q_OBJECT
public:
    VaqGhostButton(QString label, QString icon, AdaptiveColor color, std::function<void()> action,
                   QWidget* parent = nullptr);
    explicit VaqGhostButton(QWidget* parent = nullptr);

    QString label() const { return label_; }
    QString symbol() const { return symbol_; }
    const AdaptiveColor& color() const { return color_; }
    bool isHovered() const { return isHovered_; }

    void setLabel(const QString& label);
    void setSymbol(const QString& symbol);
    void setColor(const AdaptiveColor& color);
    void setAction(std::function<void()> action);

    // The colours at rest or hovered under an appearance; background is transparent at rest.
    struct Look {
        QColor foreground;
        QColor background;
        QColor border;
    };
    Look lookFor(bool hovered, bool dark) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovered(bool hovered);

    QString label_;
    QString symbol_;
    AdaptiveColor color_;
    std::function<void()> action_;
    bool isHovered_ = false;
    qreal progress_ = 0.0;
    QVariantAnimation* animation_ = nullptr;
};

}  // namespace clicktrove
