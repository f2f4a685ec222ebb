#include "ui/dashboard/save_as_preset_sheet.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"
#include "ui/design/vaq_ghost_button.hpp"
#include "ui/design/vaq_primary_button.hpp"
#include "ui/design/vaq_text_field_style.hpp"
#include "ui/widgets/themed_label.hpp"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace clicktrove {

namespace {

// The accent circle with the save symbol.
class SaveIcon final : public QWidget {
public:
    SaveIcon(AccentThemeColor accent, QWidget* parent) : QWidget(parent), accent_(accent) { setFixedSize(48, 48); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath circle;
        circle.addEllipse(QRectF(rect()));
        // The sheet is dark whatever the theme.
        p.fillPath(circle, ThemeGradient::accent(accent_).toLinearGradient(QRectF(rect()), true, layoutDirection()));
        SymbolIcons::paint(p, QRectF(rect()), "square.and.arrow.down", Qt::white, designFont(20, QFont::Bold));
    }

private:
    AccentThemeColor accent_;
};

}  // namespace

SaveAsPresetSheet::SaveAsPresetSheet(AccentThemeColor accent, QWidget* parent) : SheetDialog(kSize, parent) {
    setObjectName("SaveAsPresetSheet");
    setWindowTitle(tr("Save as Preset"));
    setWindowModality(Qt::WindowModal);
    QVBoxLayout* column = this->column();

    column->addWidget(new SaveIcon(accent, this), 0, Qt::AlignHCenter);
    auto* title = new ThemedLabel(tr("Save as Preset"), designFont(16, QFont::Bold, FontDesign::rounded),
                                  ThemeColors::vaqTextPrimary(), this);
    title->setObjectName("SheetTitle");
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title, 0, Qt::AlignHCenter);

    name_ = new QLineEdit(this);
    name_->setPlaceholderText(tr("Preset Name"));
    name_->setAccessibleName(tr("Preset Name"));
    VaqTextFieldStyle::apply(name_);
    name_->setFixedWidth(220);
    column->addWidget(name_, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout();
    buttons->setSpacing(12);
    cancel_ = new VaqGhostButton(
        tr("Cancel"), "xmark", ThemeColors::vaqTextSecondary(), [this] { emit cancelClicked(); }, this);
    save_ = new VaqPrimaryButton(
        tr("Save"), "checkmark", ThemeGradient::accent(accent), [this] { emit saveClicked(); }, this);
    save_->setFixedWidth(110);
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addWidget(save_);
    buttons->addStretch();
    column->addLayout(buttons);

    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
        updateSaveEnabled();
        emit nameEdited(text);
    });
    updateSaveEnabled();
    fitSize();
}

void SaveAsPresetSheet::setName(const QString& name) {
    const QSignalBlocker blocker(name_);
    if (name_->text() != name) name_->setText(name);
    updateSaveEnabled();
}

void SaveAsPresetSheet::updateSaveEnabled() {
    save_->setEnabled(!name_->text().trimmed().isEmpty());
}

}  // namespace clicktrove
