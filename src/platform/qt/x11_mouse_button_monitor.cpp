#include "platform/qt/x11_mouse_button_monitor.hpp"

#include "platform/mouse_input.hpp"
#include "platform/qt/x11_raw_input_source.hpp"

#include <QtGlobal>

namespace clicktrove::platform {

X11MouseButtonMonitor::X11MouseButtonMonitor(MouseInput& mouseInput, QObject* parent)
    : QObject(parent),
      mouseInput_(mouseInput),
      source_(new X11RawInputSource(
          X11RawInputWatcher::Watch::buttonPresses, [this](const X11RawInputWatcher::Batch& b) { deliver(b); }, this)) {
}

X11MouseButtonMonitor::~X11MouseButtonMonitor() = default;

std::optional<MouseButtonMonitor::Token> X11MouseButtonMonitor::addMonitor(Handler handler) {
    const bool opening = !source_->isOpen();
    if (opening) {
        std::string error;
        // Connected while posting goes on: that takes seconds on a slow or remote display, and an emergency stop
        // posts.
        if (!source_->connectWatcher(error)) {
            if (!warned_) qWarning("Clicktrove: global mouse monitoring is unavailable: %s", error.c_str());
            warned_ = true;
            return std::nullopt;
        }
        // Selected with posting held back: a press of a run in flight while the selection went out could
        // otherwise come back unclaimable and be taken for the user's.
        watchingSince_ = mouseInput_.startWatchingPresses([this] { source_->selectPresses(); });
    }
    const Token token = handlers_.add(std::move(handler));
    // Reading starts with what has already arrived and hands it over at once, so the handler is there first:
    // a press posted the moment the selection was in force would otherwise reach nobody.
    if (opening) source_->startReading();
    return token;
}

void X11MouseButtonMonitor::removeMonitor(Token token) {
    if (handlers_.remove(token) && handlers_.empty()) source_->close();
}

void X11MouseButtonMonitor::deliver(const X11RawInputWatcher::Batch& batch) {
    for (const auto& press : batch.buttonPresses) {
        const auto kind = X11RawInputWatcher::buttonKind(press.button);
        // Claimed whether or not the press is reported, so that the ledger stays in step with the server.
        const bool own = mouseInput_.claimPostedPress(press.physicalButton, watchingSince_);
        const auto point = mouseInput_.cursorPosition();
        // Without a readable pointer the display is going away; a press without a place is worth nothing.
        if (!kind || !point) continue;
        handlers_.dispatch(MouseButtonPress{*kind, press.button, *point, own});
    }
}

}  // namespace clicktrove::platform
