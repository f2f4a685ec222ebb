#pragma once

#include <QAbstractButton>
#include <QEasingCurve>
#include <QString>
#include <functional>

class QVariantAnimation;

namespace clicktrove {

// What the design's buttons share: a label and a symbol, an action that runs once per click (also for Space on the
// focused button), and a hover progress from 0 at rest to 1 hovered that animates from wherever it is, so a quick
// in-and-out reverses smoothly. Subclasses paint and decide what the progress changes.
class HoverButton : public QAbstractButton {
    Q_OBJECT
public:
    QString label() const { return label_; }
    QString symbol() const { return symbol_; }
    bool isHovered() const { return isHovered_; }

    void setLabel(const QString& label);
    void setSymbol(const QString& symbol);
    void setAction(std::function<void()> action);

    // An opacity over everything the button draws, on top of its own pressed and disabled looks: a screen dims a
    // button this way without an opacity effect re-rendering it.
    qreal dimming() const { return dimming_; }
    void setDimming(qreal opacity);

protected:
    HoverButton(QString label, QString icon, std::function<void()> action, int hoverDurationMs,
                const QEasingCurve& curve, QWidget* parent);

    qreal hoverProgress() const { return progress_; }
    // The opacity to paint with: the dimming times the plain-button feedback (half while disabled, three
    // quarters while pressed).
    qreal paintOpacity() const;
    // Runs as the hover progress or the dimming moves (after it is stored); the default repaints.
    virtual void hoverProgressChanged();

    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovered(bool hovered);

    QString label_;
    QString symbol_;
    std::function<void()> action_;
    bool isHovered_ = false;
    qreal progress_ = 0.0;  // may overshoot a little with a spring curve
    qreal dimming_ = 1.0;
    QVariantAnimation* animation_ = nullptr;
};

}  // namespace clicktrove
