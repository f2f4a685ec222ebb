#pragma once

#include "ui/design/adaptive_color.hpp"
#include "ui/design/hover_button.hpp"

#include <QString>
#include <functional>

namespace clicktrove {

// The compact outlined button: icon and label in its colour on a clear background with a neutral border at
// rest; while hovered the text turns primary, the background raised and the border takes the colour at half
// opacity. As wide as its content. The action runs once per click.
class VaqGhostButton final : public HoverButton {
    Q_OBJECT
public:
    VaqGhostButton(QString label, QString icon, AdaptiveColor color, std::function<void()> action,
                   QWidget* parent = nullptr);
    explicit VaqGhostButton(QWidget* parent = nullptr);

    const AdaptiveColor& color() const { return color_; }
    void setColor(const AdaptiveColor& color);

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

private:
    AdaptiveColor color_;
};

}  // namespace clicktrove
