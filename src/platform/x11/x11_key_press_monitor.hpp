#pragma once

#include "platform/key_press_monitor.hpp"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace clicktrove::platform {

class X11RawInputWatcher;

// Key presses of the whole X session, from XInput2 raw events on an X connection of its own, read and handed
// to the handlers on a thread of its own: a press reaches them within microseconds of the server's report,
// however busy the main thread is. The program's own windows are part of the session, so one handler sees
// their presses too; no second, window-local monitor is needed, and none may be added or their presses would
// count twice.
//
// Watching starts with the first handler installed and lasts until the monitor is destroyed; presses made
// while no handler is installed are dropped.
class X11KeyPressMonitor final : public KeyPressMonitor {
public:
    using Warn = std::function<void(const std::string&)>;

    // warn receives the notes meant for the user, each said once: no way to watch keys, or a Wayland session
    // that shows only part of them. Standard error when none is given.
    explicit X11KeyPressMonitor(Warn warn = {});
    X11KeyPressMonitor(const X11KeyPressMonitor&) = delete;
    X11KeyPressMonitor& operator=(const X11KeyPressMonitor&) = delete;
    // Ends the thread and closes the connection. No handler runs after it returns.
    ~X11KeyPressMonitor() override;

    std::optional<Token> addMonitor(Handler handler) override;
    void deliverPending() override;
    void removeMonitor(Token token) override;

private:
    bool openLocked();
    void run(std::stop_token stop);
    // Reads what the connection holds and hands it out, on the calling thread, running afterEachPress after each
    // press's handlers.
    void readAndDispatch(const std::function<void()>& afterEachPress = {});
    void dispatch(const KeyPressEvent& press);

    Warn warn_;
    std::mutex mutex_;  // guards everything below but the watcher, which only the thread touches once open
    std::map<Token, std::shared_ptr<Handler>> handlers_;
    Token nextToken_ = 1;
    bool unavailableNoted_ = false;
    bool waylandNoted_ = false;
    std::unique_ptr<X11RawInputWatcher> watcher_;
    // Set once the watcher and its thread are up; the watcher stays until destruction.
    std::atomic<bool> open_{false};
    // One reader of the connection at a time: the monitor's thread or a caller of deliverPending. Held until
    // the presses read have been handed out, so that a caller never runs ahead of a press already read.
    std::mutex reading_;
    int wakeFd_ = -1;
    // Held by the thread while it delivers one press, so that removeMonitor can wait for a delivery under way.
    std::mutex delivering_;
    std::jthread thread_;
};

}  // namespace clicktrove::platform
