#pragma once

#include "engine/click_type.hpp"
#include "engine/history_record.hpp"
#include "platform/clock.hpp"
#include "services/storage_manager.hpp"

#include <QObject>
#include <cstdint>
#include <vector>

namespace clicktrove {

// The log of finished runs, newest first. Every change publishes historyRecordsChanged and then writes the
// whole list to the history file. A run adds a record only when it made a click; after addRecord the list holds
// at most kMaxRecords (the newest). A loaded list is taken as it is, however long, until the next addRecord.
// Main thread only.
class HistoryManager final : public QObject {
    Q_OBJECT
    Q_PROPERTY(std::vector<clicktrove::HistoryRecord> historyRecords READ historyRecords WRITE setHistoryRecords NOTIFY
                   historyRecordsChanged)

public:
    static constexpr std::size_t kMaxRecords = 100;

    // A history file that could not be read (kept aside, or left alone so that nothing is saved over it) is
    // reported to onProblem before the constructor returns; a save that fails later is reported there too, once
    // until a save succeeds again (a run's record would otherwise be lost without a word).
    explicit HistoryManager(StorageManager& storage = StorageManager::shared(),
                            const platform::Clock& clock = platform::SystemClock::instance(),
                            platform::FileProblemReport onProblem = {}, QObject* parent = nullptr);

    const std::vector<HistoryRecord>& historyRecords() const { return historyRecords_; }
    // Stores and publishes the list, then saves it.
    void setHistoryRecords(std::vector<HistoryRecord> records);

    // Puts a record dated now at the front. A run of 0 clicks or fewer leaves no record and writes nothing. When
    // the list then holds more than kMaxRecords it is cut to the newest, which is a second change and write.
    void addRecord(std::int64_t totalClicks, ClickType clickType, double duration, double averageIntervalMs);
    // Empties the list; the file then holds an empty array.
    void clearHistory();
    // Hands the list, in its order, to the storage's CSV export (a save dialog on a later turn of the main queue);
    // a file that could not be written is reported to onFailure.
    void exportToCSV(platform::FileProblemReport onFailure = {});
    // The History screen's name for exportToCSV.
    void exportCSV(platform::FileProblemReport onFailure = {}) { exportToCSV(std::move(onFailure)); }

signals:
    void historyRecordsChanged();

private:
    StorageManager& storage_;
    const platform::Clock& clock_;
    platform::FileProblemReport onProblem_;
    std::vector<HistoryRecord> historyRecords_;
    bool saveFailing_ = false;
};

}  // namespace clicktrove
