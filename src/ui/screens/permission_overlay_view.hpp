#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace clicktrove {

class PermissionManager;

// The screen the main window shows in place of its tabs while input cannot be posted: why the program needs
// it, how to make it possible, a button to the help page and one to check again at once. It keeps no state of
// its own; the permission manager decides when it goes away.
class PermissionOverlayView final : public QWidget {
    Q_OBJECT
public:
    explicit PermissionOverlayView(PermissionManager& permissionManager, QWidget* parent = nullptr);

    QPushButton* openSettingsButton() const { return openSettings_; }
    QPushButton* verifyButton() const { return verify_; }
    // The three numbered steps' texts, as rich text.
    QList<QLabel*> stepLabels() const { return steps_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void applyColors();

    PermissionManager& permissionManager_;
    QLabel* icon_ = nullptr;
    QList<QLabel*> steps_;
    QPushButton* openSettings_ = nullptr;
    QPushButton* verify_ = nullptr;
};

}  // namespace clicktrove
