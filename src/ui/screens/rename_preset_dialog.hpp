#pragma once

#include "services/accent_theme_color.hpp"

#include "ui/widgets/sheet_dialog.hpp"

class QLineEdit;

namespace clicktrove {

class VaqGhostButton;
class VaqPrimaryButton;

// The sheet that asks for a preset's new name: a field and Cancel and Save. Always dark. Return in the field does
// nothing, so only the buttons act; Escape or closing the window dismisses it without either.
class RenamePresetDialog final : public SheetDialog {
    Q_OBJECT
public:
    static constexpr QSize kSize{300, 180};

    RenamePresetDialog(const QString& name, AccentThemeColor accent, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return field_; }
    VaqGhostButton* cancelButton() const { return cancel_; }
    VaqPrimaryButton* saveButton() const { return save_; }

signals:
    void cancelClicked();
    void saveClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLineEdit* field_ = nullptr;
    VaqGhostButton* cancel_ = nullptr;
    VaqPrimaryButton* save_ = nullptr;
};

}  // namespace clicktrove
