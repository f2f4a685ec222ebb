#pragma once

#include "ui/design/adaptive_color.hpp"
#include "ui/design/shadow_underlay.hpp"

#include <QLinearGradient>
#include <QPointF>
#include <QPointer>
#include <QWidget>
#include <optional>

class QVBoxLayout;

namespace clicktrove {

// The card every dashboard and settings section sits in: the surface colour (faintly tinted by the accent when
// there is one) in a rounded rectangle of radius 16, a border fading from the accent to the neutral border
// colour diagonally (uniform without an accent), and a soft shadow. The content sits padding points inside the
// edges: put it into contentLayout() (spacing 0, no margins of its own) or hand one widget to setContent().
class GlassCard final : public QWidget {
    Q_OBJECT
public:
    explicit GlassCard(std::optional<AdaptiveColor> accentGlow = std::nullopt, qreal padding = 16.0,
                       QWidget* parent = nullptr);

    const std::optional<AdaptiveColor>& accentGlow() const { return accentGlow_; }
    qreal padding() const { return padding_; }
    void setAccentGlow(const std::optional<AdaptiveColor>& accent);
    void setPadding(qreal padding);

    QVBoxLayout* contentLayout() const { return layout_; }
    // Puts widget into the card as its only content (replacing an earlier one given here).
    void setContent(QWidget* widget);
    QWidget* content() const { return content_; }
    // Wraps content in a new card.
    static GlassCard* wrap(QWidget* content, std::optional<AdaptiveColor> accentGlow = std::nullopt,
                           qreal padding = 16.0, QWidget* parent = nullptr);

    // The look under an appearance: the tint over the surface (transparent without an accent), the border's
    // two ends (top-leading, bottom-trailing) and the shadow colour.
    struct Look {
        QColor surface;
        QColor tint;
        QColor borderStart;
        QColor borderEnd;
        QColor shadow;
    };
    Look lookFor(bool dark) const;

    static constexpr qreal cornerRadius = 16.0;
    static constexpr qreal shadowRadius = 12.0;
    static constexpr QPointF shadowOffset{0.0, 4.0};

    // What draws the card's shadow beneath it.
    ShadowUnderlay* shadowUnderlay() const { return shadow_.data(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyShadow();
    QLinearGradient borderGradient(const Look& look) const;

    std::optional<AdaptiveColor> accentGlow_;
    qreal padding_;
    QVBoxLayout* layout_ = nullptr;
    QWidget* content_ = nullptr;
    // A sibling, so its parent may delete it first.
    QPointer<ShadowUnderlay> shadow_;
};

}  // namespace clicktrove
