#pragma once

#include "engine/date.hpp"

#include <QString>
#include <QWidget>
#include <cstddef>

class QLabel;
class QStackedWidget;
class QVBoxLayout;

namespace clicktrove {

class AutoClickerViewModel;
class EmptyStateView;
class HistoryRow;
class VaqGhostButton;
class VaqPrimaryButton;

// The History tab: every finished run the history keeps, newest first and numbered down to 1, with its clicks,
// duration and average speed, and the actions to clear the log or export it as CSV. It keeps nothing: the list
// is the view model's history manager's, shown again at each of its changes.
class HistoryView final : public QWidget {
    Q_OBJECT
public:
    explicit HistoryView(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);
    ~HistoryView() override;

    // Whole seconds: "59s", "1m 0s", "62m 5s" (no hours).
    static QString durationText(double seconds);
    // Clicks per second from the average interval, "10.0 CPS"; "0.0 CPS" when no interval is known.
    static QString averageSpeedText(double averageIntervalMs);
    static QString countLine(std::size_t records);
    // Short date and medium time in the user's locale and time zone.
    static QString dateText(Date date);

    QLabel* countLabel() const { return count_; }
    VaqGhostButton* clearButton() const { return clear_; }
    VaqPrimaryButton* exportButton() const { return export_; }
    // The opacity the header buttons are drawn at (0.4 while there is nothing to act on).
    qreal headerButtonOpacity() const;
    QList<HistoryRow*> rows() const;
    bool isShowingEmptyState() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildHeader();
    void rebuildList();
    void restyle();

    AutoClickerViewModel& viewModel_;
    QLabel* badge_ = nullptr;
    QLabel* count_ = nullptr;
    VaqGhostButton* clear_ = nullptr;
    VaqPrimaryButton* export_ = nullptr;
    QWidget* buttons_ = nullptr;
    QStackedWidget* content_ = nullptr;
    EmptyStateView* emptyState_ = nullptr;
    QWidget* list_ = nullptr;
    QVBoxLayout* listLayout_ = nullptr;
};

}  // namespace clicktrove
