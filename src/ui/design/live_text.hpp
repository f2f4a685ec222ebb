#pragma once

#include <QString>
#include <QWidget>

namespace clicktrove {

// One line of text that changes often (a click counter, a rate, a clock), in the palette's window-text colour.
// A QLabel asks every layout up to the window to lay out again at each new text; this one repaints only itself,
// and asks for room only when a new text no longer fits the width it has. Give it the width of its place (an
// expanding size policy, the default) and an alignment.
class LiveText final : public QWidget {
    Q_OBJECT
public:
    explicit LiveText(QWidget* parent = nullptr);

    QString text() const { return text_; }
    // Repaints only when the text differs from the shown one.
    void setText(const QString& text);
    Qt::Alignment alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Whether a text could be wider than the widget: never false for a text that is.
    bool mightOutgrow(const QString& text) const;

    QString text_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignVCenter;
};

}  // namespace clicktrove
