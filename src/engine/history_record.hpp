#pragma once

#include "engine/click_type.hpp"
#include "engine/date.hpp"
#include "engine/uuid.hpp"

#include <cstdint>

namespace clicktrove {

// The summary of one finished run.
struct HistoryRecord {
    Uuid id;
    Date date;  // when the record was made (the end of the run)
    std::int64_t totalClicks = 0;
    double duration = 0.0;  // seconds, pauses excluded
    ClickType clickType = ClickType::left;
    double averageIntervalMs = 0.0;

    // A new record with a fresh random identifier.
    HistoryRecord(Date date, std::int64_t totalClicks, double duration, ClickType clickType, double averageIntervalMs)
        : HistoryRecord(Uuid::random(), date, totalClicks, duration, clickType, averageIntervalMs) {}
    // A record that keeps a known identifier (a decoded one, for instance).
    HistoryRecord(Uuid id, Date date, std::int64_t totalClicks, double duration, ClickType clickType,
                  double averageIntervalMs)
        : id(id),
          date(date),
          totalClicks(totalClicks),
          duration(duration),
          clickType(clickType),
          averageIntervalMs(averageIntervalMs) {}

    friend bool operator==(const HistoryRecord&, const HistoryRecord&) = default;
};

}  // namespace clicktrove
