#include "services/history_manager.hpp"

namespace clicktrove {

HistoryManager::HistoryManager(StorageManager& storage, const platform::Clock& clock,
                               platform::FileProblemReport onProblem, QObject* parent)
    : QObject(parent), storage_(storage), clock_(clock), onProblem_(std::move(onProblem)) {
    // Written back at once: a missing file is created and an undecodable one (already moved aside by the
    // storage) replaced by an empty list.
    std::optional<platform::FileProblem> problem;
    auto loaded = storage_.loadHistory(&problem);
    if (problem && onProblem_) onProblem_(*problem);
    setHistoryRecords(std::move(loaded));
}

void HistoryManager::setHistoryRecords(std::vector<HistoryRecord> records) {
    historyRecords_ = std::move(records);
    emit historyRecordsChanged();
    std::optional<platform::FileProblem> problem;
    if (storage_.saveHistory(historyRecords_, &problem)) {
        saveFailing_ = false;
    } else if (problem && !saveFailing_) {
        saveFailing_ = true;
        if (onProblem_) onProblem_(*problem);
    }
}

void HistoryManager::addRecord(std::int64_t totalClicks, ClickType clickType, double duration,
                               double averageIntervalMs) {
    if (totalClicks <= 0) return;
    std::vector<HistoryRecord> list;
    list.reserve(historyRecords_.size() + 1);
    list.emplace_back(clock_.now(), totalClicks, duration, clickType, averageIntervalMs);
    list.insert(list.end(), historyRecords_.begin(), historyRecords_.end());
    setHistoryRecords(std::move(list));
    if (historyRecords_.size() > kMaxRecords) {
        setHistoryRecords(std::vector<HistoryRecord>(historyRecords_.begin(), historyRecords_.begin() + kMaxRecords));
    }
}

void HistoryManager::clearHistory() {
    setHistoryRecords({});
}

void HistoryManager::exportToCSV(platform::FileProblemReport onFailure) {
    storage_.exportHistoryCSV(historyRecords_, std::move(onFailure));
}

}  // namespace clicktrove
