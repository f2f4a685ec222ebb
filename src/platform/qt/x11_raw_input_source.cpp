#include "platform/qt/x11_raw_input_source.hpp"

#include <QSocketNotifier>
#include <QtGlobal>
#include <cstdlib>
#include <cstring>

namespace clicktrove::platform {

X11RawInputSource::X11RawInputSource(X11RawInputWatcher::Watch watch, BatchHandler onBatch, QObject* parent)
    : QObject(parent), watch_(watch), onBatch_(std::move(onBatch)) {}

X11RawInputSource::~X11RawInputSource() {
    delete notifier_;
    notifier_ = nullptr;
}

bool X11RawInputSource::open(std::string& error) {
    if (watcher_) return true;
    if (!connectWatcher(error)) return false;
    selectPresses();
    startReading();
    return true;
}

bool X11RawInputSource::connectWatcher(std::string& error) {
    if (!watcher_) watcher_ = X11RawInputWatcher::connect(watch_, error);
    return watcher_ != nullptr;
}

void X11RawInputSource::selectPresses() {
    if (watcher_) watcher_->select();
}

void X11RawInputSource::startReading() {
    if (!watcher_ || notifier_) return;
    const char* session = std::getenv("XDG_SESSION_TYPE");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    // Said once: a source closes with its last handler and opens again with the next one.
    if (!waylandNoted_ && ((session && std::strcmp(session, "wayland") == 0) || (wayland && *wayland))) {
        waylandNoted_ = true;
        // Xwayland forwards only the input that goes to X11 windows; presses in Wayland windows never arrive.
        qWarning("Clicktrove: this is a Wayland session; %s are seen only while an X11 window has the focus",
                 watch_ == X11RawInputWatcher::Watch::keyPresses ? "keyboard shortcuts" : "mouse clicks");
    }
    notifier_ = new QSocketNotifier(watcher_->connectionFd(), QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &X11RawInputSource::readAvailable);
    // Events may already sit in Xlib's queue after the set-up round trip; the socket would not announce them.
    readAvailable();
}

void X11RawInputSource::close() {
    if (notifier_) {
        notifier_->setEnabled(false);
        // Possibly called from the notifier's own activation: delete it once that has returned.
        notifier_->deleteLater();
        notifier_ = nullptr;
    }
    watcher_.reset();
}

void X11RawInputSource::readAvailable() {
    if (!watcher_) return;
    const X11RawInputWatcher::Batch batch = watcher_->readPending();
    // The watcher is not touched after this point: a handler may close the source.
    if (!batch.keyPresses.empty() || !batch.buttonPresses.empty()) onBatch_(batch);
}

}  // namespace clicktrove::platform
