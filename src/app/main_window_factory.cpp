#include "app/main_window_factory.hpp"

#include "platform/file_user_defaults.hpp"
#include "ui/shell/main_view.hpp"
#include "ui/shell/screen_factory.hpp"
#include "ui/shell/window_frame_memory.hpp"

namespace clicktrove {

ClicktroveApp::WindowFactory mainWindowFactory() {
    return [](AutoClickerViewModel& viewModel) -> QWidget* {
        auto* window = new MainView(viewModel, ScreenFactory::standard());
        // Opens where it was last time, or at its preferred size the first time.
        WindowFrameMemory::attach(*window, platform::FileUserDefaults::standard(), MainView::kPreferredSize);
        return window;
    };
}

}  // namespace clicktrove
