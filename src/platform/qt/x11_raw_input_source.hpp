#pragma once

#include "platform/x11/x11_raw_input_watcher.hpp"

#include <QObject>
#include <functional>
#include <memory>
#include <string>

class QSocketNotifier;

namespace clicktrove::platform {

// Runs an X11RawInputWatcher on the Qt event loop of the thread that creates it: a socket notifier on the
// watcher's own X connection wakes the loop, and each batch of decoded presses is handed over on that thread.
class X11RawInputSource final : public QObject {
    Q_OBJECT
public:
    using BatchHandler = std::function<void(const X11RawInputWatcher::Batch&)>;

    X11RawInputSource(X11RawInputWatcher::Watch watch, BatchHandler onBatch, QObject* parent = nullptr);
    ~X11RawInputSource() override;

    // Connects and starts watching; true when already open. On failure, error says why.
    bool open(std::string& error);
    // open() in three steps, for a caller that must hold something while the selection goes out, and nothing
    // longer: connectWatcher() connects and sets up (the slow part, seconds on a remote display), selectPresses()
    // makes the selection (one round trip; in force when it returns), startReading() hands over what arrives
    // from then on.
    bool connectWatcher(std::string& error);
    void selectPresses();
    void startReading();
    // Stops watching and closes the connection. Safe from inside the batch handler.
    void close();
    bool isOpen() const { return watcher_ != nullptr; }

private:
    void readAvailable();

    X11RawInputWatcher::Watch watch_;
    BatchHandler onBatch_;
    std::unique_ptr<X11RawInputWatcher> watcher_;
    QSocketNotifier* notifier_ = nullptr;
    bool waylandNoted_ = false;
};

}  // namespace clicktrove::platform
