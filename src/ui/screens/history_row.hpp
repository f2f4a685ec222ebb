#pragma once

#include "engine/history_record.hpp"
#include "services/accent_theme_color.hpp"

#include <QString>
#include <QWidget>
#include <cstdint>

class QLabel;

namespace clicktrove {

class HistoryStatChip;

// One finished run on the History screen: the accent bar, its number, the clicks, duration and average speed,
// the click type and the date.
class HistoryRow final : public QWidget {
    Q_OBJECT
public:
    HistoryRow(const HistoryRecord& record, std::int64_t number, AccentThemeColor accent, const QString& dateText,
               QWidget* parent = nullptr);

    const HistoryRecord& record() const { return record_; }
    QString numberText() const;
    QString clickTypeText() const;
    QString dateText() const;
    // The three figures in order: clicks, duration, average speed.
    QList<HistoryStatChip*> chips() const { return chips_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    HistoryRecord record_;
    AccentThemeColor accent_;
    QLabel* number_ = nullptr;
    QLabel* type_ = nullptr;
    QLabel* date_ = nullptr;
    QList<HistoryStatChip*> chips_;
};

}  // namespace clicktrove
