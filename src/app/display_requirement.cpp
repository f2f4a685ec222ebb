#include "app/display_requirement.hpp"

#include "platform/x11/x11_display_probe.hpp"

#include <cstdlib>
#include <string_view>

namespace clicktrove {

namespace {
const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}
}  // namespace

std::optional<std::string> missingDisplayMessage() {
    if (const char* platform = environment("QT_QPA_PLATFORM")) {
        const std::string_view name(platform);
        if (name.substr(0, name.find(':')) != "xcb") return std::nullopt;
    }
    const std::string prefix = "Clicktrove needs an X11 display: ";
    const char* display = environment("DISPLAY");
    if (!display) {
        return prefix + "DISPLAY is not set" +
               (environment("WAYLAND_DISPLAY") ? " (this Wayland session offers no XWayland)" : "");
    }
    const auto problem = platform::x11DisplayOpenProblem(display);
    if (!problem) return std::nullopt;
    return prefix + "cannot open display \"" + display + "\" (" + *problem + ")";
}

}  // namespace clicktrove
