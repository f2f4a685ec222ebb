#include "ui/shell/window_frame_memory.hpp"

#include "platform/user_defaults.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <utility>

namespace clicktrove {

WindowFrameMemory* WindowFrameMemory::attach(QWidget& window, std::shared_ptr<platform::UserDefaults> defaults,
                                             QSize preferred) {
    auto* memory = new WindowFrameMemory(window, std::move(defaults));
    memory->restore(preferred);
    return memory;
}

WindowFrameMemory::WindowFrameMemory(QWidget& window, std::shared_ptr<platform::UserDefaults> defaults)
    : QObject(&window), window_(window), defaults_(std::move(defaults)) {
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(kSaveDelayMs);
    connect(&saveTimer_, &QTimer::timeout, this, &WindowFrameMemory::save);
    window_.installEventFilter(this);
    // Quitting from the tray does not close the window first.
    if (auto* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            if (saveTimer_.isActive()) save();
        });
    }
}

std::optional<WindowFrame> WindowFrameMemory::stored() const {
    const auto value = defaults_->value(frameKey);
    return value ? decodeWindowFrame(*value) : std::nullopt;
}

void WindowFrameMemory::restore(QSize preferred) {
    std::vector<QRect> screens;
    std::size_t primary = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen == QGuiApplication::primaryScreen()) primary = screens.size();
        screens.push_back(screen->availableGeometry());
    }
    const auto saved = stored();
    const QRect placed = placeWindow(saved ? std::optional<QRect>(saved->geometry) : std::nullopt, screens, primary,
                                     preferred, window_.minimumSize());
    restoring_ = true;
    window_.setGeometry(placed);
    if (saved && saved->maximized) window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
    restoring_ = false;
}

void WindowFrameMemory::save() {
    saveTimer_.stop();
    const bool maximized = window_.isMaximized();
    // The normal frame is what a maximised window goes back to; it is the one to keep.
    const QRect geometry = maximized ? window_.normalGeometry() : window_.geometry();
    if (geometry.width() < 1 || geometry.height() < 1) return;
    const WindowFrame frame{geometry, maximized};
    if (stored() == frame) return;
    defaults_->setValue(frameKey, encodeWindowFrame(frame));
}

bool WindowFrameMemory::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && !restoring_) {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowStateChange:
                // Dragging a window edge reports every step; the frame is written once it rests.
                if (window_.isVisible()) saveTimer_.start();
                break;
            case QEvent::Hide:
            case QEvent::Close:
                // A change still waiting for its moment is written now.
                if (saveTimer_.isActive()) save();
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace clicktrove
