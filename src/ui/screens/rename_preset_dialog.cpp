#include "ui/screens/rename_preset_dialog.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

namespace clicktrove {

RenamePresetDialog::RenamePresetDialog(const QString& name, AccentThemeColor accent, QWidget* parent)
    : SheetDialog(kSize, parent) {
    setWindowTitle(tr("Rename Preset"));
    QVBoxLayout* stack = column();

    auto* title = new ThemedLabel(tr("Rename Preset"), designFont(16, QFont::Bold, FontDesign::rounded),
                                  ThemeColors::vaqTextPrimary(), this);
    title->setObjectName(QStringLiteral("SheetTitle"));
    title->setAlignment(Qt::AlignCenter);
    stack->addWidget(title);

    field_ = new QLineEdit(name, this);
    field_->setObjectName(QStringLiteral("renameField"));
    field_->setPlaceholderText(tr("Name"));
    VaqTextFieldStyle::apply(field_);
    field_->setFixedWidth(220);
    stack->addWidget(field_, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    cancel_ = new VaqGhostButton(
        tr("Cancel"), QStringLiteral("xmark"), ThemeColors::vaqTextSecondary(), [this] { emit cancelClicked(); }, this);
    save_ = new VaqPrimaryButton(
        tr("Save"), QStringLiteral("checkmark"), ThemeGradient::accent(accent), [this] { emit saveClicked(); }, this);
    save_->setFixedWidth(100);
    buttons->addWidget(cancel_);
    buttons->addWidget(save_);
    buttons->addStretch(1);
    stack->addLayout(buttons);
    fitSize();
}

void RenamePresetDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace clicktrove
