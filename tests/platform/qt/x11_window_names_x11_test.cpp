#include "platform/qt/x11_window_hints.hpp"

#include <QtGui/qguiapplication_platform.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <string>

// After every Qt header: Xlib's macros (None, Bool, Status) clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

struct TextProperty {
    std::string type;
    std::string bytes;
};

// Reads a text property with Xlib on a connection of the test's own, as `xdotool` and window managers do.
TextProperty readProperty(const QWidget& widget, const char* name) {
    // A round trip on the application's connection first, so the server has every change it sent.
    xcb_connection_t* own = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    std::free(xcb_get_input_focus_reply(own, xcb_get_input_focus(own), nullptr));
    Display* display = XOpenDisplay(nullptr);
    TextProperty result;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, static_cast<Window>(widget.winId()), XInternAtom(display, name, False), 0, 1024,
                           False, AnyPropertyType, &type, &format, &items, &after, &data) == Success) {
        if (type != 0) {
            char* typeName = XGetAtomName(display, type);
            result.type = typeName;
            XFree(typeName);
        }
        if (data) result.bytes.assign(reinterpret_cast<const char*>(data), items);
    }
    if (data) XFree(data);
    XCloseDisplay(display);
    return result;
}

TEST(X11WindowNames, BothNamesCarryExactlyTheTitle) {
    ASSERT_NE(qGuiApp->nativeInterface<QNativeInterface::QX11Application>(), nullptr);
    // Qt appends a display name to _NET_WM_NAME only; the names must not differ from the title or each other.
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Suffix"));
    struct Case {
        const char* name;
        QString title;
        const char* wmNameType;
        std::string wmName;
    };
    const Case cases[] = {
        {"ASCII", QStringLiteral("Clicktrove"), "STRING", "Clicktrove"},
        {"Latin-1", QString::fromUtf8("Caf\u00e9 Control"), "STRING", "Caf\xe9 Control"},
        {"beyond Latin-1", QString::fromUtf8("\u70b9\u51fb Control"), "UTF8_STRING", "\u70b9\u51fb Control"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        window.setWindowTitle(c.title);
        window.show();
        ASSERT_NE(window.windowHandle(), nullptr);
        clicktrove::platform::setWindowNames(*window.windowHandle());

        const TextProperty wmName = readProperty(window, "WM_NAME");
        EXPECT_EQ(wmName.type, c.wmNameType);
        EXPECT_EQ(wmName.bytes, c.wmName);
        const TextProperty netWmName = readProperty(window, "_NET_WM_NAME");
        EXPECT_EQ(netWmName.type, "UTF8_STRING");
        EXPECT_EQ(netWmName.bytes, c.title.toStdString());
    }
    QGuiApplication::setApplicationDisplayName(QString());
}

}  // namespace
