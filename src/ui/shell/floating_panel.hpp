#pragma once

#include <QPoint>
#include <QWidget>
#include <functional>

class QLabel;
class QToolButton;

namespace clicktrove {

// The small always-on-top window that hosts the floating control panel, titled "Clicktrove Mini Control". It floats
// above normal windows on every desktop, takes no keyboard focus, so clicking it leaves the application the
// user works in active, and is dragged by its body or title strip. It opens at 220 x 180 points, which is also
// as small as it goes, and is resized by the grip in its bottom-right corner. Its own close button closes it;
// closing drops the content and then runs onClose. Closing never deletes the window: its owner decides its life.
class FloatingPanel final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 220;
    static constexpr int kHeight = 180;
    static constexpr int kTitleHeight = 20;

    // Takes ownership of contentView, which fills the window below the title strip.
    FloatingPanel(QWidget* contentView, std::function<void()> onClose, QWidget* parent = nullptr);
    ~FloatingPanel() override;

    QWidget* contentView() const { return content_; }
    QToolButton* closeButton() const { return closeButton_; }
    QWidget* resizeGrip() const { return grip_; }

    // Run when the panel is about to close.
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* content_ = nullptr;
    QToolButton* closeButton_ = nullptr;
    QWidget* grip_ = nullptr;
    bool dragging_ = false;
    QPoint dragOffset_;
};

}  // namespace clicktrove
