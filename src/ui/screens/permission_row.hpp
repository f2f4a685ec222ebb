#pragma once

#include <QWidget>

class QLabel;

namespace clicktrove {

class VaqPrimaryButton;

// The Settings screen's line on the input permission: a green shield and "Granted" text, or an amber shield,
// the reason it is needed and a "Grant Access" button.
class PermissionRow final : public QWidget {
    Q_OBJECT
public:
    explicit PermissionRow(QWidget* parent = nullptr);

    void setGranted(bool granted);
    bool isGranted() const { return granted_; }
    QLabel* titleLabel() const { return title_; }
    QLabel* statusLabel() const { return status_; }

signals:
    void grantAccessClicked();

private:
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* status_ = nullptr;
    VaqPrimaryButton* grantAccess_ = nullptr;
    bool granted_ = false;
};

}  // namespace clicktrove
