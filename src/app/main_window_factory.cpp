#include "app/main_window_factory.hpp"

namespace clicktrove {

ClicktroveApp::WindowFactory mainWindowFactory() {
    // No main window yet: the program lives in the tray, driven by its menu and the global shortcuts.
    return {};
}

}  // namespace clicktrove
