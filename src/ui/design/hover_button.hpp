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

protected:
    HoverButton(QString label, QString icon, std::function<void()> action, int hoverDurationMs,
                const QEasingCurve& curve, QWidget* parent);

    qreal hoverProgress() const { return progress_; }
    // Runs as the hover progress moves (after it is stored); the default repaints.
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
    QVariantAnimation* animation_ = nullptr;
};

}  // namespace clicktrove
