#pragma once

#include "services/accent_theme_color.hpp"

#include <QString>
#include <QWidget>
#include <optional>

class QPropertyAnimation;

namespace clicktrove {

// The notice that slides in at the top centre of the main window, above the sidebar and the content, while the
// view model holds a message. It stays clear of the shown screen's title: where the centred bubble would cover
// it, the bubble moves right of the title, or, without room there, below it. The view model clears the message;
// the toast never hides itself.
class ToastView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTopSpace = 16;

    explicit ToastView(QWidget* parent = nullptr);

    // Shows the text (replacing a shown one at once) or hides the toast. A failure shows a failure symbol in
    // place of the checkmark.
    void setMessage(const std::optional<QString>& message, bool failure = false);
    const QString& message() const { return message_; }
    bool isFailure() const { return failure_; }
    // The symbol drawn beside the text.
    QString symbol() const;
    bool isShowingMessage() const { return showing_; }
    void setAccent(AccentThemeColor accent);
    // Sizes and positions the toast at the top centre of `area` (the window's rectangle), the bubble clear of
    // `keepClear` (in the same coordinates; empty for nothing).
    void placeIn(const QRect& area, const QRect& keepClear = QRect());
    // Where the bubble (without the room around it for its shadow) stands once it has slid in, in the parent's
    // coordinates.
    QRect restingBubbleGeometry() const;
    static constexpr int kKeepClearGap = 12;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize bubbleSize(int maxWidth) const;
    QRect targetGeometry(const QRect& area, const QRect& keepClear) const;

    QString message_;
    bool failure_ = false;
    bool showing_ = false;
    AccentThemeColor accent_ = AccentThemeColor::blue;
    QRect area_;
    QRect keepClear_;
    QPropertyAnimation* slide_ = nullptr;
};

}  // namespace clicktrove
