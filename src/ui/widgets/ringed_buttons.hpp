#pragma once

#include <QPushButton>
#include <QToolButton>

namespace clicktrove {

// Push and tool buttons whose look comes from a style sheet (which should say "outline: none", so that no dotted
// rectangle is drawn), with the design's focus ring instead: shown only while the keyboard put the focus there,
// along the button's rounded edge; white on a filled button. They take focus by Tab only.
class RingedPushButton final : public QPushButton {
    Q_OBJECT
public:
    explicit RingedPushButton(const QString& text = QString(), QWidget* parent = nullptr);
    // The corner radius the ring follows, and whether the button is filled with a strong colour.
    void setRing(qreal cornerRadius, bool onFill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal radius_ = 6.0;
    bool onFill_ = false;
};

class RingedToolButton final : public QToolButton {
    Q_OBJECT
public:
    explicit RingedToolButton(QWidget* parent = nullptr);
    void setRing(qreal cornerRadius, bool onFill);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal radius_ = 6.0;
    bool onFill_ = false;
};

}  // namespace clicktrove
