#pragma once

#include "ui/design/adaptive_color.hpp"

#include <QString>

namespace clicktrove {

// The colour of a run status, by exact text: green "Running", amber "Paused", red "Emergency Stop", the
// secondary text colour for anything else (Stopped, the countdown).
AdaptiveColor runStatusColor(const QString& status);

}  // namespace clicktrove
