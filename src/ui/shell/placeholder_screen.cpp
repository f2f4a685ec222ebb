#include "ui/shell/placeholder_screen.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace clicktrove {

PlaceholderScreen::PlaceholderScreen(const QString& name, QWidget* parent) : QWidget(parent), name_(name) {
    setObjectName(name);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(name, this);
    QFont font = title->font();
    font.setPointSizeF(16);
    font.setBold(true);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    detail_ = new QLabel(this);
    detail_->setAlignment(Qt::AlignCenter);
    detail_->setWordWrap(true);
    layout->addStretch();
    layout->addWidget(title);
    layout->addWidget(detail_);
    layout->addStretch();
}

void PlaceholderScreen::setDetail(const QString& detail) {
    detail_->setText(detail);
}

}  // namespace clicktrove
