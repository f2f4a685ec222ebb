#pragma once

#include <QObject>

class QWidget;

namespace clicktrove {

class AutoClickerViewModel;
class FloatingPanel;

// Opens and closes the floating control panel over a view model; the Dashboard's floating-window button calls
// toggle(). Every opening builds a new panel and view, centred on the screen and shown without activating the
// application; a closed panel, whether by toggle() or by its own close box, is dropped and never shown again.
// Main thread only.
class FloatingPanelToggle final : public QObject {
    Q_OBJECT
public:
    // anchor, when given, picks the screen to centre on (the one the main window is on); the primary screen
    // otherwise.
    explicit FloatingPanelToggle(AutoClickerViewModel& viewModel, QWidget* anchor = nullptr, QObject* parent = nullptr);
    ~FloatingPanelToggle() override;

    void toggle();
    bool isOpen() const { return panel_ != nullptr; }
    // The open panel; null while closed.
    FloatingPanel* floatingPanel() const { return panel_; }

signals:
    void isOpenChanged(bool isOpen);

private:
    void open();
    void forget();

    AutoClickerViewModel& viewModel_;
    QWidget* anchor_;
    FloatingPanel* panel_ = nullptr;
};

}  // namespace clicktrove
