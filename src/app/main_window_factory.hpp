#pragma once

#include "app/clicktrove_app.hpp"

namespace clicktrove {

// The main window the application shows over its view model.
ClicktroveApp::WindowFactory mainWindowFactory();

}  // namespace clicktrove
