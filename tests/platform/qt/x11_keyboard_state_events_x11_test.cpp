// Qt's connection hears about every change of the server's keyboard state, and pointer buttons are part of it:
// each click anywhere woke the program twice. After narrowing, clicks must reach it no more, while modifier
// changes (which Qt needs for its key events) still do.
#include "platform/qt/x11_keyboard_state_events.hpp"

#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
// The extension's header names a field "explicit", a C++ keyword.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdlib>

// After every Qt header: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class KeyboardStateCounter final : public QAbstractNativeEventFilter {
public:
    explicit KeyboardStateCounter(std::uint8_t xkbEvent) : xkbEvent_(xkbEvent) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~KeyboardStateCounter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) == xkbEvent_ && event->pad0 == XCB_XKB_STATE_NOTIFY) ++stateNotifications;
        return false;
    }

    int stateNotifications = 0;

private:
    std::uint8_t xkbEvent_;
};

xcb_connection_t* qtConnection() {
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// Presses and releases with XTest on a connection of the test's own, then lets Qt's connection take everything the
// server sent up to now (a round trip on it comes after the server has sent the notifications).
int notificationsAfter(KeyboardStateCounter& counter, void (*act)(Display*)) {
    Display* display = XOpenDisplay(nullptr);
    act(display);
    XSync(display, False);
    XCloseDisplay(display);
    std::free(xcb_get_input_focus_reply(qtConnection(), xcb_get_input_focus(qtConnection()), nullptr));
    counter.stateNotifications = 0;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return counter.stateNotifications;
}

void clickThrice(Display* display) {
    for (int i = 0; i < 3; ++i) {
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
    }
}

void tapShift(Display* display) {
    const KeyCode shift = XKeysymToKeycode(display, XK_Shift_L);
    XTestFakeKeyEvent(display, shift, True, CurrentTime);
    XTestFakeKeyEvent(display, shift, False, CurrentTime);
}

// The narrowing lasts as long as Qt's connection, which is the process's: put back every state change Qt
// selects at start, so that a repeated run (or a later test) meets the connection as Qt set it up.
class WidenedAgainAfterwards {
public:
    ~WidenedAgainAfterwards() {
        xcb_xkb_select_events_details_t details{};
        details.affectState = 0x3fff;
        details.stateDetails = 0x3fff;
        xcb_connection_t* connection = qtConnection();
        std::free(xcb_request_check(
            connection, xcb_xkb_select_events_aux_checked(connection, XCB_XKB_ID_USE_CORE_KBD,
                                                          XCB_XKB_EVENT_TYPE_STATE_NOTIFY, 0, 0, 0, 0, &details)));
    }
};

TEST(X11KeyboardStateEvents, ClicksNoLongerReachQtWhileModifierChangesStillDo) {
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(qtConnection(), &xcb_xkb_id);
    ASSERT_TRUE(xkb != nullptr && xkb->present);
    KeyboardStateCounter counter(xkb->first_event);
    const WidenedAgainAfterwards widened;
    // The counter must see the fault: as Qt sets itself up, clicks do arrive.
    notificationsAfter(counter, clickThrice);
    ASSERT_GT(notificationsAfter(counter, clickThrice), 0);

    ASSERT_TRUE(clicktrove::platform::narrowKeyboardStateEvents());
    EXPECT_EQ(notificationsAfter(counter, clickThrice), 0);
    EXPECT_GT(notificationsAfter(counter, tapShift), 0);
}

}  // namespace
