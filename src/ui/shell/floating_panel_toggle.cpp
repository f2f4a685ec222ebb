#include "ui/shell/floating_panel_toggle.hpp"

#include "ui/shell/floating_panel.hpp"
#include "ui/shell/floating_panel_view.hpp"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace clicktrove {

FloatingPanelToggle::FloatingPanelToggle(AutoClickerViewModel& viewModel, QWidget* anchor, QObject* parent)
    : QObject(parent), viewModel_(viewModel), anchor_(anchor) {}

FloatingPanelToggle::~FloatingPanelToggle() {
    if (panel_ != nullptr) {
        panel_->onClose = nullptr;
        delete panel_;
    }
}

void FloatingPanelToggle::toggle() {
    if (panel_ != nullptr) {
        // Closing runs the panel's onClose, which lets go of it.
        panel_->close();
        forget();
        return;
    }
    open();
}

void FloatingPanelToggle::open() {
    auto* view = new FloatingPanelView(viewModel_);
    panel_ = new FloatingPanel(view, [this] { forget(); });

    QScreen* screen = anchor_ != nullptr ? anchor_->screen() : nullptr;
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame(QPoint(), panel_->size());
        frame.moveCenter(screen->availableGeometry().center());
        panel_->move(frame.topLeft());
    }
    panel_->show();
    panel_->raise();
    emit isOpenChanged(true);
}

void FloatingPanelToggle::forget() {
    if (panel_ == nullptr) return;
    // Called from inside the panel's close handling, so it is deleted once that has returned.
    panel_->deleteLater();
    panel_ = nullptr;
    emit isOpenChanged(false);
}

}  // namespace clicktrove
