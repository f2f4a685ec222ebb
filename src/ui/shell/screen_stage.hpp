#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QVariantAnimation;

namespace clicktrove {

// The window's detail area: holds the screen of the selected tab, filling the area. A new screen replaces the old
// one with a transition of 0.2 s, eased in and out: the new screen fades in while it moves in from the trailing
// edge (the right, or the left in a right-to-left layout), and the old one, as a picture of its last look, fades
// out while it moves out to that edge. The stage is as small as its screen allows.
class ScreenStage final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDurationMs = 200;

    explicit ScreenStage(QWidget* parent = nullptr);

    // Shows next (given to the stage) in place of the current screen, which is deleted. Without animate, or
    // while the stage is hidden, next appears at once.
    void present(QWidget* next, bool animate);
    QWidget* current() const { return current_; }

    bool isTransitioning() const;
    // 0 when a transition starts, 1 when it is done (eased).
    qreal progress() const { return progress_; }
    // The transition's clock, for tests that look at a moment of it.
    QVariantAnimation* animation() const { return animation_; }
    // How far the new screen stands from its place, towards the trailing edge.
    int incomingOffset() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setProgress(qreal progress);
    void finish();
    void place();
    int travel() const;

    QPointer<QWidget> current_;
    QPixmap outgoing_;
    qreal progress_ = 1.0;
    QVariantAnimation* animation_ = nullptr;
};

}  // namespace clicktrove
