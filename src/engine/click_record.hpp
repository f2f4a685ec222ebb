#pragma once

#include "engine/click_type.hpp"
#include "engine/date.hpp"
#include "engine/screen_point.hpp"
#include "engine/uuid.hpp"

namespace clicktrove {

// One user click captured by the macro recorder.
struct ClickRecord {
    Uuid id;
    ScreenPoint point;  // global top-left screen coordinates
    ClickType clickType = ClickType::left;
    Date timestamp;
    double delaySinceStart = 0.0;  // seconds from the start of the recording; playback waits this long

    // A new record with a fresh random identifier.
    ClickRecord(ScreenPoint point, ClickType clickType, Date timestamp, double delaySinceStart)
        : ClickRecord(Uuid::random(), point, clickType, timestamp, delaySinceStart) {}
    // A record that keeps a known identifier (a decoded one, for instance).
    ClickRecord(Uuid id, ScreenPoint point, ClickType clickType, Date timestamp, double delaySinceStart)
        : id(id), point(point), clickType(clickType), timestamp(timestamp), delaySinceStart(delaySinceStart) {}

    friend bool operator==(const ClickRecord&, const ClickRecord&) = default;
};

}  // namespace clicktrove
