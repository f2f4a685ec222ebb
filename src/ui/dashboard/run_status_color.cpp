#include "ui/dashboard/run_status_color.hpp"

#include "ui/design/theme_colors.hpp"

namespace clicktrove {

AdaptiveColor runStatusColor(const QString& status) {
    if (status == QLatin1String("Running")) return ThemeColors::green();
    if (status == QLatin1String("Paused")) return ThemeColors::amber();
    if (status == QLatin1String("Emergency Stop")) return ThemeColors::red();
    return ThemeColors::vaqTextSecondary();
}

}  // namespace clicktrove
