#include "ui/screens/empty_state_view.hpp"

#include "ui/design/adaptive_color.hpp"
#include "ui/screens/view_style.hpp"

#include <QLabel>
#include <QVBoxLayout>

namespace clicktrove {

EmptyStateView::EmptyStateView(Look look, const QString& title, const QString& text, QWidget* parent)
    : QWidget(parent) {
    auto* stack = new QVBoxLayout(this);
    stack->setSpacing(16);
    stack->setContentsMargins(20, 0, 20, 0);
    stack->addStretch(1);
    auto* circle = new QLabel;
    circle->setFixedSize(80, 80);
    circle->setPixmap(view_style::disc(withOpacity(look.colour, look.circleOpacity), look.symbol,
                                       withOpacity(look.colour, look.symbolOpacity), 80, look.symbolPoints));
    stack->addWidget(circle, 0, Qt::AlignHCenter);
    title_ = view_style::label(title, 18, QFont::Bold, "primary", FontDesign::rounded);
    title_->setAlignment(Qt::AlignCenter);
    stack->addWidget(title_);
    text_ = view_style::label(text, 13, QFont::Normal, "secondary");
    text_->setAlignment(Qt::AlignCenter);
    text_->setWordWrap(true);
    stack->addWidget(text_);
    stack->addStretch(1);
}

QString EmptyStateView::title() const {
    return title_->text();
}

QString EmptyStateView::text() const {
    return text_->text();
}

}  // namespace clicktrove
