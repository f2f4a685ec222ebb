#include "platform/qt/x11_key_press_monitor.hpp"

#include "platform/qt/x11_raw_input_source.hpp"

#include <QtGlobal>

namespace clicktrove::platform {

X11KeyPressMonitor::X11KeyPressMonitor(QObject* parent)
    : QObject(parent),
      source_(new X11RawInputSource(
          X11RawInputWatcher::Watch::keyPresses,
          [this](const X11RawInputWatcher::Batch& batch) {
              for (const KeyPressEvent& press : batch.keyPresses) handlers_.dispatch(press);
          },
          this)) {}

X11KeyPressMonitor::~X11KeyPressMonitor() = default;

std::optional<KeyPressMonitor::Token> X11KeyPressMonitor::addMonitor(Handler handler) {
    std::string error;
    if (!source_->open(error)) {
        if (!warned_) qWarning("Clicktrove: global keyboard shortcuts are unavailable: %s", error.c_str());
        warned_ = true;
        return std::nullopt;
    }
    return handlers_.add(std::move(handler));
}

void X11KeyPressMonitor::removeMonitor(Token token) {
    if (handlers_.remove(token) && handlers_.empty()) source_->close();
}

}  // namespace clicktrove::platform
