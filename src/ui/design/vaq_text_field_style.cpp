#include "ui/design/vaq_text_field_style.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/rounded_shape.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>

namespace clicktrove {

namespace {
constexpr const char* kStyleName = "clicktroveVaqTextFieldStyle";
}

VaqTextFieldStyle::VaqTextFieldStyle(QLineEdit* field) : QObject(field), field_(field) {
    setObjectName(QLatin1String(kStyleName));
    field_->setFrame(false);
    field_->setAttribute(Qt::WA_MacShowFocusRect, false);
    field_->setFont(designFont(13, QFont::Medium, FontDesign::monospaced));
    // QLineEdit keeps a small margin of its own on each side; the padding here is what is left to make up.
    field_->setTextMargins(horizontalPadding - 2, verticalPadding - 1, horizontalPadding - 2, verticalPadding - 1);
    field_->installEventFilter(this);
    applyColors();
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, [this] { applyColors(); });
}

void VaqTextFieldStyle::apply(QLineEdit* field) {
    if (field == nullptr || isApplied(field)) return;
    new VaqTextFieldStyle(field);
}

void VaqTextFieldStyle::applyToAll(QWidget* container) {
    if (container == nullptr) return;
    if (auto* field = qobject_cast<QLineEdit*>(container)) apply(field);
    for (auto* field : container->findChildren<QLineEdit*>()) apply(field);
}

bool VaqTextFieldStyle::isApplied(const QLineEdit* field) {
    return field != nullptr &&
           field->findChild<VaqTextFieldStyle*>(QLatin1String(kStyleName), Qt::FindDirectChildrenOnly) != nullptr;
}

void VaqTextFieldStyle::applyColors() {
    const bool dark = ThemeAppearance::isDarkFor(field_);
    QPalette palette = field_->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        // The field paints no background of its own: the rounded surface is drawn under it.
        palette.setColor(group, QPalette::Base, Qt::transparent);
        palette.setColor(group, QPalette::Text, ThemeColors::textPrimary(dark));
        palette.setColor(group, QPalette::PlaceholderText, ThemeColors::textSecondary(dark));
    }
    field_->setPalette(palette);
    field_->update();
}

bool VaqTextFieldStyle::eventFilter(QObject* watched, QEvent* event) {
    // Moved into a window that is always dark (or out of it): the text colours follow.
    if (watched == field_ && event->type() == QEvent::ParentChange) applyColors();
    if (watched == field_ && event->type() == QEvent::Paint) {
        // Drawn inside the field's own paint event, before QLineEdit paints its text over it.
        const bool dark = ThemeAppearance::isDarkFor(field_);
        QPainter painter(field_);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF bounds(field_->rect());
        painter.fillPath(continuousRoundedRect(bounds, cornerRadius), ThemeColors::surface(dark));
        QPen pen(ThemeColors::border(dark), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.setPen(pen);
        painter.drawPath(continuousRoundedRect(borderRect(bounds), cornerRadius));
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace clicktrove
