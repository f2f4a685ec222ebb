#include "ui/screens/recorded_clicks_model.hpp"

#include "ui/screens/recording_view.hpp"

#include <algorithm>

namespace clicktrove {

RecordedClicksModel::RecordedClicksModel(QObject* parent) : QAbstractListModel(parent) {}

void RecordedClicksModel::setRecords(const std::vector<ClickRecord>& records) {
    const bool appended = records.size() > records_.size() &&
                          std::equal(records_.begin(), records_.end(), records.begin(),
                                     [](const ClickRecord& a, const ClickRecord& b) { return a.id == b.id; });
    if (appended) {
        // A long recording grows a row at a time; only the new rows are laid out.
        beginInsertRows(QModelIndex(), static_cast<int>(records_.size()), static_cast<int>(records.size()) - 1);
        records_.insert(records_.end(), records.begin() + static_cast<std::ptrdiff_t>(records_.size()), records.end());
        endInsertRows();
        return;
    }
    if (records == records_) return;
    beginResetModel();
    records_ = records;
    endResetModel();
}

int RecordedClicksModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(records_.size());
}

QVariant RecordedClicksModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= records_.size()) return {};
    const ClickRecord& record = records_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole: {
            const auto text = displayText(record.clickType);
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        case CoordinatesRole:
            return RecordingView::coordinateLine(record.point);
        case DelayRole:
            return RecordingView::delayText(record.delaySinceStart);
        default:
            return {};
    }
}

}  // namespace clicktrove
