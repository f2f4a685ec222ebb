#pragma once

#include "ui/design/adaptive_color.hpp"
#include "ui/design/shadow_underlay.hpp"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QTimer;
class QWidget;

namespace clicktrove {

// A glow that breathes around a widget while what it stands for is active: from opacity 0.3 and radius 4 to
// opacity 0.8 and radius 8 and back, one second each way, eased. Inactive, there is no glow. The pulse starts
// when the widget is shown while active and when active turns on; turning active off drops the glow at once, and
// while the widget is hidden nothing animates. The glow is the widget's round shadow, drawn beneath it from
// cached pixmaps (ShadowUnderlay), so a pulse step repaints only the few pixels around the widget.
class NeonPulse final : public QObject {
    Q_OBJECT
public:
    // Puts a pulse on target (owned by it) and returns it.
    static NeonPulse* apply(QWidget* target, AdaptiveColor color, bool active);

    const AdaptiveColor& glowColor() const { return color_; }
    bool isActive() const { return active_; }
    // The pulse animation is running.
    bool isAnimating() const { return animating_; }

    void setGlowColor(const AdaptiveColor& color);
    void setActive(bool active);

    // The glow for an animation phase between rest (0) and full (1): its opacity factor and radius.
    struct Glow {
        qreal opacity;
        qreal radius;
    };
    static Glow glowAt(qreal phase);
    // The animation phase (0 at rest, 1 at full glow) a pulse has reached after elapsedMs, in its steps.
    static qreal phaseAt(qint64 elapsedMs);
    // Shows the glow of the breath elapsedMs after it began, while it runs (its step timer calls it with the
    // clock).
    void showMoment(qint64 elapsedMs);
    // What is drawn now: opacity 0 while inactive.
    Glow currentGlow() const;
    // The glow's colour as drawn now, its alpha scaled by the glow's opacity (transparent while inactive).
    QColor currentColor() const;
    // What draws the glow.
    ShadowUnderlay* underlay() const { return underlay_.data(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NeonPulse(QWidget* target, AdaptiveColor color, bool active);
    void startPulse();
    void stopPulse();
    void applyGlow();
    void step();

    QWidget* target_;
    AdaptiveColor color_;
    bool active_;
    // Shown and not minimised: a minimised window's widgets still count as visible.
    bool onScreen_;
    bool animating_ = false;
    qreal phase_ = 0.0;
    QTimer* stepTimer_ = nullptr;
    // The window whose repaints the glow rides on while it pulses.
    QPointer<QWidget> window_;
    QElapsedTimer sinceStart_;
    // A sibling, so its parent may delete it first.
    QPointer<ShadowUnderlay> underlay_;
};

}  // namespace clicktrove
