// The floating panel on a real X server: it asks to be shown on every desktop, never takes the focus, and is
// found by its title.
#include "ui/shell/floating_panel.hpp"

#include "support/child_process.hpp"

#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// After every Qt header: Xlib's macros (None, Bool, Status) clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace std::chrono_literals;

namespace clicktrove::testing {
namespace {

xcb_connection_t* connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The first 32-bit value of a window property; nothing when it is not set.
std::optional<std::uint32_t> cardinal(xcb_window_t window, const char* name) {
    xcb_connection_t* c = connection();
    auto* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    if (atom == nullptr) return std::nullopt;
    auto* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr);
    std::free(atom);
    if (reply == nullptr) return std::nullopt;
    std::optional<std::uint32_t> value;
    if (reply->format == 32 && xcb_get_property_value_length(reply) >= 4) {
        value = *static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    }
    std::free(reply);
    return value;
}

bool runLoopUntil(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

TEST(FloatingPanelX11, AsksForEveryDesktopAndRefusesTheFocus) {
    ASSERT_NE(connection(), nullptr);
    FloatingPanel panel(new QWidget, nullptr);
    panel.show();
    const auto window = static_cast<xcb_window_t>(panel.winId());
    ASSERT_TRUE(runLoopUntil([&] { return cardinal(window, "_NET_WM_DESKTOP").has_value(); }));
    EXPECT_EQ(cardinal(window, "_NET_WM_DESKTOP"), 0xFFFFFFFFu);
    // WM_HINTS: flags first, then the input field, which tells the window manager not to focus the window.
    xcb_connection_t* c = connection();
    auto* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9), nullptr);
    ASSERT_NE(reply, nullptr);
    ASSERT_GE(xcb_get_property_value_length(reply), 8);
    const auto* fields = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
    constexpr std::uint32_t inputHint = 1;  // ICCCM InputHint
    EXPECT_TRUE(fields[0] & inputHint);
    EXPECT_EQ(fields[1], 0u);
    std::free(reply);
}

// No window manager runs on the test server, so nothing can move the window for the panel: it follows a drag
// of its title strip by itself, as it must on a desktop whose window manager lacks _NET_WM_MOVERESIZE.
TEST(FloatingPanelX11, WithoutAWindowManagerADragOfTheTitleStripMovesThePanelByHand) {
    ASSERT_NE(connection(), nullptr);
    FloatingPanel panel(new QWidget, nullptr);
    panel.show();
    ASSERT_TRUE(runLoopUntil([&] { return panel.isVisible() && panel.windowHandle()->isExposed(); }));
    const QPoint start = panel.frameGeometry().topLeft();
    const QPoint grip = start + QPoint(FloatingPanel::kWidth / 2, FloatingPanel::kTitleHeight / 2);

    auto xdotool = [](std::vector<std::string> args) {
        args.insert(args.begin(), "xdotool");
        return runCommand(args);
    };
    const std::string x = std::to_string(grip.x()), y = std::to_string(grip.y());
    ASSERT_EQ(xdotool({"mousemove", "--sync", x, y, "mousedown", "1"}), 0);
    ASSERT_EQ(xdotool({"mousemove", "--sync", std::to_string(grip.x() + 90), std::to_string(grip.y() + 60)}), 0);
    const QPoint moved = start + QPoint(90, 60);
    EXPECT_TRUE(runLoopUntil([&] { return panel.frameGeometry().topLeft() == moved; }))
        << "at " << panel.frameGeometry().x() << "," << panel.frameGeometry().y();
    ASSERT_EQ(xdotool({"mouseup", "1"}), 0);

    // After the release the pointer moves alone.
    ASSERT_EQ(xdotool({"mousemove", "--sync", std::to_string(grip.x() + 200), std::to_string(grip.y() + 150)}), 0);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(panel.frameGeometry().topLeft(), moved);

    // Only the left button drags.
    ASSERT_EQ(xdotool({"mousemove", "--sync", std::to_string(moved.x() + 110), std::to_string(moved.y() + 10),
                       "mousedown", "3", "mousemove", "--sync", std::to_string(moved.x() + 10),
                       std::to_string(moved.y() + 40), "mouseup", "3"}),
              0);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(panel.frameGeometry().topLeft(), moved);
}

// Tools and window managers that read only WM_NAME (`xdotool search --name`, some taskbars) find the panel too.
TEST(FloatingPanelX11, TheTitleIsBothWmNameAndNetWmName) {
    ASSERT_NE(connection(), nullptr);
    FloatingPanel panel(new QWidget, nullptr);
    panel.show();
    // A round trip on the application's connection: the server then has every property it wrote.
    std::free(xcb_get_input_focus_reply(connection(), xcb_get_input_focus(connection()), nullptr));

    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const auto window = static_cast<Window>(panel.winId());
    char* name = nullptr;
    EXPECT_TRUE(XFetchName(display, window, &name));
    EXPECT_EQ(std::string(name != nullptr ? name : ""), "Clicktrove Mini Control");
    if (name != nullptr) XFree(name);

    Atom type = 0;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 256, False,
                       XInternAtom(display, "UTF8_STRING", False), &type, &format, &items, &after, &data);
    EXPECT_EQ(std::string(data != nullptr ? reinterpret_cast<const char*>(data) : "", items),
              "Clicktrove Mini Control");
    if (data != nullptr) XFree(data);
    XCloseDisplay(display);
}

}  // namespace
}  // namespace clicktrove::testing
