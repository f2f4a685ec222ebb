#pragma once

#include "engine/screen_point.hpp"
#include "platform/mouse_input.hpp"

#include <QString>
#include <QWidget>

class QListView;
class QPushButton;
class QStackedWidget;
class QVariantAnimation;

namespace clicktrove {

class AutoClickerViewModel;
class EmptyStateView;
class RecordedClicksModel;

// The Recorder tab: records the user's own clicks as a macro, plays it back, lists every recorded click, and
// imports or exports the macro as JSON. It keeps nothing: recording, playback and the files are the view
// model's, and the buttons follow its recording and playback flags.
class RecordingView final : public QWidget {
    Q_OBJECT
public:
    explicit RecordingView(AutoClickerViewModel& viewModel, QWidget* parent = nullptr);
    ~RecordingView() override;

    // "Coordinates: X: 12, Y: -3": each coordinate truncated toward zero.
    static QString coordinateLine(ScreenPoint point);
    // "+2.50s".
    static QString delayText(double delaySinceStart);

    QPushButton* recordButton() const { return record_; }
    QPushButton* playbackButton() const { return playback_; }
    QPushButton* importButton() const { return import_; }
    QPushButton* exportButton() const { return export_; }
    QListView* clicksList() const { return list_; }
    // Whether a press at this point (global coordinates, in the screen's pixels) lands on one of the screen's
    // buttons as they stand on screen now, with no other window lying over it.
    bool isOnControls(const platform::GlobalPoint& point) const;
    RecordedClicksModel* clicksModel() const { return model_; }
    bool isShowingEmptyState() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void refresh();
    void refreshPulse();

    AutoClickerViewModel& viewModel_;
    QPushButton* record_ = nullptr;
    QPushButton* playback_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* export_ = nullptr;
    QStackedWidget* content_ = nullptr;
    EmptyStateView* emptyState_ = nullptr;
    QListView* list_ = nullptr;
    RecordedClicksModel* model_ = nullptr;
    QVariantAnimation* pulse_ = nullptr;
    int pulseStep_ = -1;  // the dot's opacity step shown now
    // Shown and not minimised: a minimised window's widgets still count as visible.
    bool onScreen_ = false;
};

}  // namespace clicktrove
