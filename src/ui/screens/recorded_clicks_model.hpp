#pragma once

#include "engine/click_record.hpp"

#include <QAbstractListModel>
#include <vector>

namespace clicktrove {

// The recorded clicks of the Recorder screen as list rows: the click type, the coordinate line and the delay.
// Clicks that arrive one by one during a recording are appended as new rows; any other change resets the list.
class RecordedClicksModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { CoordinatesRole = Qt::UserRole + 1, DelayRole };

    explicit RecordedClicksModel(QObject* parent = nullptr);

    void setRecords(const std::vector<ClickRecord>& records);
    const std::vector<ClickRecord>& records() const { return records_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::vector<ClickRecord> records_;
};

}  // namespace clicktrove
