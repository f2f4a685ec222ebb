#include "ui/widgets/sheet_dialog.hpp"

#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace clicktrove {

SheetDialog::SheetDialog(QSize size, QWidget* parent) : QDialog(parent), size_(size) {
    ThemeAppearance::forceDark(*this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kSidePadding, kMinimumVerticalPadding, kSidePadding, kMinimumVerticalPadding);
    outer->setSpacing(0);
    outer->addStretch(1);
    column_ = new QVBoxLayout();
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(kSpacing);
    outer->addLayout(column_);
    outer->addStretch(1);
    setFixedSize(size_);
}

void SheetDialog::fitSize() {
    const int needed = column_->sizeHint().height() + 2 * kMinimumVerticalPadding;
    setFixedSize(size_.width(), std::max(size_.height(), needed));
}

void SheetDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ThemeColors::background(true));
}

}  // namespace clicktrove
