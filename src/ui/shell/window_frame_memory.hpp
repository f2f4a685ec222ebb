#pragma once

#include "ui/shell/window_frame_placement.hpp"

#include <QObject>
#include <QSize>
#include <QTimer>
#include <memory>

class QWidget;

namespace clicktrove {

namespace platform {
class UserDefaults;
}

// Keeps the main window's size and place between launches, in the user defaults under frameKey: restores them
// (made to fit the screens as they are now) before the window is first shown, and saves them a moment after each
// move or resize, and at once when the window is hidden or closed. The first launch opens the window at the
// preferred size on the primary screen. A maximised window comes back maximised over its normal frame.
class WindowFrameMemory final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* frameKey = "Clicktrove.mainWindowFrame";
    static constexpr int kSaveDelayMs = 400;

    // Places window now (it must not be shown yet) and follows it from then on; owned by the window.
    static WindowFrameMemory* attach(QWidget& window, std::shared_ptr<platform::UserDefaults> defaults,
                                     QSize preferred);

    // What is stored now, if anything readable.
    std::optional<WindowFrame> stored() const;
    // Writes the window's frame now.
    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowFrameMemory(QWidget& window, std::shared_ptr<platform::UserDefaults> defaults);
    void restore(QSize preferred);

    QWidget& window_;
    std::shared_ptr<platform::UserDefaults> defaults_;
    QTimer saveTimer_;
    bool restoring_ = false;
};

}  // namespace clicktrove
