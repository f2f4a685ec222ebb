#include "app/main_window_factory.hpp"

#include "ui/shell/main_view.hpp"
#include "ui/shell/screen_factory.hpp"

namespace clicktrove {

ClicktroveApp::WindowFactory mainWindowFactory() {
    return
        [](AutoClickerViewModel& viewModel) -> QWidget* { return new MainView(viewModel, ScreenFactory::standard()); };
}

}  // namespace clicktrove
