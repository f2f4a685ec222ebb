#pragma once

#include <chrono>
#include <iosfwd>
#include <string>
#include <vector>

namespace clicktrove::testing {

// A plain X client window that collects the button and motion events it receives, as an ordinary
// application would see them. It sits at a fixed root position (override-redirect: no window manager moves
// it) on its own connection to $DISPLAY.
class X11EventWindow {
public:
    struct Received {
        enum class Type { press, release, motion } type;
        unsigned int button = 0;  // 0 for motion
        int rootX = 0;
        int rootY = 0;
        friend bool operator==(const Received&, const Received&) = default;
        // Readable failures: "press 1 at (300, 250)".
        friend void PrintTo(const Received& received, std::ostream* os);
    };

    X11EventWindow(int x, int y, int width, int height);
    X11EventWindow(const X11EventWindow&) = delete;
    X11EventWindow& operator=(const X11EventWindow&) = delete;
    ~X11EventWindow();

    bool isOpen() const { return display_ != nullptr; }
    // Reads events until `count` button events (press or release) have arrived or the cap has passed.
    // Returns everything received so far.
    std::vector<Received> waitForButtonEvents(std::size_t count,
                                              std::chrono::milliseconds cap = std::chrono::seconds(20));
    // Presses and releases only, in order.
    std::vector<Received> buttonEvents() const;
    // The pointer position in root coordinates, read on this window's own connection.
    bool queryPointer(int& rootX, int& rootY);
    // Moves the pointer from this window's connection (another client than the one under test) and waits
    // until the server has done it.
    bool warpPointer(int rootX, int rootY);

private:
    void pump(std::chrono::milliseconds wait);

    void* display_ = nullptr;  // Display*
    unsigned long window_ = 0;
    std::vector<Received> received_;
};

}  // namespace clicktrove::testing
