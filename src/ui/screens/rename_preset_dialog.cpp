#include "ui/screens/rename_preset_dialog.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/screens/view_style.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

constexpr bool kDark = true;

}  // namespace

RenamePresetDialog::RenamePresetDialog(const QString& name, AccentThemeColor accent, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Rename Preset"));
    setFixedSize(300, 180);
    auto* stack = new QVBoxLayout(this);
    stack->setContentsMargins(28, 28, 28, 28);
    stack->setSpacing(20);

    auto* title = new QLabel(tr("Rename Preset"));
    title->setFont(designFont(16, QFont::Bold, FontDesign::rounded));
    title->setStyleSheet(QStringLiteral("color: %1;").arg(view_style::css(ThemeColors::textPrimary(kDark))));
    title->setAlignment(Qt::AlignCenter);
    stack->addWidget(title);

    // The sheet is dark whatever the theme, so the field takes the dark look of the text-field style.
    field_ = new QLineEdit(name);
    field_->setObjectName(QStringLiteral("renameField"));
    field_->setPlaceholderText(tr("Name"));
    field_->setFixedWidth(220);
    field_->setFont(designFont(13, QFont::Medium, FontDesign::monospaced));
    field_->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background: %2; border: 1px solid %3;"
                                         " border-radius: 8px; padding: 7px 10px; }")
                              .arg(view_style::css(ThemeColors::textPrimary(kDark)),
                                   view_style::css(ThemeColors::surface(kDark)),
                                   view_style::css(ThemeColors::border(kDark))));
    stack->addWidget(field_, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    buttons->addStretch(1);
    cancel_ = new VaqGhostButton(tr("Cancel"), QStringLiteral("xmark"), ThemeColors::textSecondary(kDark),
                                 [this] { emit cancelClicked(); });
    save_ = new VaqPrimaryButton(tr("Save"), QStringLiteral("checkmark"), ThemeGradient::accent(accent),
                                 [this] { emit saveClicked(); });
    save_->setFixedWidth(100);
    buttons->addWidget(cancel_);
    buttons->addWidget(save_);
    buttons->addStretch(1);
    stack->addLayout(buttons);
}

void RenamePresetDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void RenamePresetDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ThemeColors::background(kDark));
}

}  // namespace clicktrove
