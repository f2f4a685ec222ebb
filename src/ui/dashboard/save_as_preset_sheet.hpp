#pragma once

#include "services/accent_theme_color.hpp"

#include "ui/widgets/sheet_dialog.hpp"

class QLineEdit;

namespace clicktrove {

class VaqGhostButton;
class VaqPrimaryButton;

// The sheet that asks for a preset's name: an icon, the title, the name field and Cancel / Save. It is always
// dark. It holds no state of its own: the main window keeps the name and decides what the buttons do; Return
// in the field saves nothing.
class SaveAsPresetSheet final : public SheetDialog {
    Q_OBJECT
public:
    static constexpr QSize kSize{300, 220};

    SaveAsPresetSheet(AccentThemeColor accent, QWidget* parent = nullptr);

    QLineEdit* nameField() const { return name_; }
    VaqGhostButton* cancelButton() const { return cancel_; }
    VaqPrimaryButton* saveButton() const { return save_; }

    // Shows the name; Save is enabled while it has more than white space.
    void setName(const QString& name);

signals:
    void nameEdited(const QString& name);
    void cancelClicked();
    void saveClicked();

private:
    void updateSaveEnabled();

    QLineEdit* name_ = nullptr;
    VaqGhostButton* cancel_ = nullptr;
    VaqPrimaryButton* save_ = nullptr;
};

}  // namespace clicktrove
