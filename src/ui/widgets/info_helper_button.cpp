#include "ui/widgets/info_helper_button.hpp"

#include "ui/design/design_font.hpp"
#include "ui/design/focus_ring.hpp"
#include "ui/design/help_popover.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"

#include <QPainter>
#include <cmath>

namespace clicktrove {

InfoHelperButton::InfoHelperButton(const QString& text, QWidget* parent) : QAbstractButton(parent), text_(text) {
    setObjectName("InfoHelperButton");
    setAccessibleName(tr("Info"));
    setAccessibleDescription(text);
    setCursor(Qt::PointingHandCursor);
    // Reachable from the keyboard like the card headers' info buttons; Space opens the help.
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [this] { setPresented(!isPresented()); });
    connect(&ThemeAppearance::instance(), &ThemeAppearance::changed, this, qOverload<>(&QWidget::update));
}

InfoHelperButton::~InfoHelperButton() {
    delete popover_.data();
}

QSize InfoHelperButton::sizeHint() const {
    const int side = static_cast<int>(std::ceil(SymbolIcons::extent(designFont(11))));
    return {side, side};
}

void InfoHelperButton::setPresented(bool presented) {
    if (presented == isPresented()) return;
    if (!presented) {
        QFrame* popover = popover_;
        popover_ = nullptr;
        popover->close();
        return;
    }
    auto* popover = new HelpPopover(text_, this, [this] { popover_ = nullptr; });
    popover_ = popover;
    popover->popUp();
}

void InfoHelperButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (isDown()) p.setOpacity(0.75);
    SymbolIcons::paint(p, QRectF(rect()), QStringLiteral("info.circle"), ThemeColors::textSecondary(), designFont(11));
    focus_ring::paintEllipse(p, *this, QRectF(rect()));
}

}  // namespace clicktrove
