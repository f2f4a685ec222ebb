#include "ui/screens/view_style.hpp"

#include "ui/design/glass_card.hpp"
#include "ui/design/symbol_icons.hpp"
#include "ui/design/theme_appearance.hpp"
#include "ui/design/theme_colors.hpp"
#include "ui/design/theme_gradient.hpp"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace clicktrove::view_style {

namespace {

QPixmap blankSquare(int side, qreal& ratio) {
    ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawSymbolCentred(QPainter& painter, int side, const QString& name, const QColor& colour, qreal points,
                       QFont::Weight weight) {
    const QFont font = designFont(points, weight);
    const qreal extent = SymbolIcons::extent(font);
    const QRectF box((side - extent) / 2, (side - extent) / 2, extent, extent);
    SymbolIcons::paint(painter, box, name, colour, font);
}

}  // namespace

bool isDark() {
    return ThemeAppearance::instance().isDark();
}

void paintBackground(QPainter& painter, const QRect& rect) {
    // The fade to 90 % shows the window beneath; the window's own colour is laid first so that a screen shown
    // on its own (a grab, a detached tab) looks as it does in the window.
    painter.fillRect(rect, ThemeColors::background(isDark()));
    painter.fillRect(rect, ThemeGradient::vaqBackground().toLinearGradient(rect, isDark()));
}

QPixmap symbol(const QString& name, const QColor& colour, qreal points, QFont::Weight weight) {
    return SymbolIcons::pixmap(name, colour, designFont(points, weight), qApp ? qApp->devicePixelRatio() : 1.0);
}

QPixmap badge(const ThemeGradient& gradient, const QString& symbolName, int diameter, qreal symbolPoints) {
    qreal ratio = 1;
    QPixmap pixmap = blankSquare(diameter, ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(0, 0, diameter, diameter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient.toLinearGradient(circle, isDark()));
    painter.drawEllipse(circle);
    drawSymbolCentred(painter, diameter, symbolName, Qt::white, symbolPoints, QFont::Bold);
    return pixmap;
}

QPixmap disc(const QColor& fill, const QString& symbolName, const QColor& colour, int diameter, qreal symbolPoints,
             QFont::Weight weight) {
    qreal ratio = 1;
    QPixmap pixmap = blankSquare(diameter, ratio);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(QRectF(0, 0, diameter, diameter));
    drawSymbolCentred(painter, diameter, symbolName, colour, symbolPoints, weight);
    return pixmap;
}

QLabel* iconTile(const QString& symbolName, int side, int radius, qreal symbolPoints) {
    auto* tile = new QLabel;
    tile->setProperty("role", QStringLiteral("iconTile"));
    tile->setFixedSize(side, side);
    tile->setAlignment(Qt::AlignCenter);
    tile->setProperty("symbol", symbolName);
    tile->setProperty("symbolPoints", symbolPoints);
    tile->setProperty("radius", radius);
    return tile;
}

QVBoxLayout* cardStack(GlassCard* card) {
    auto* stack = card->contentLayout();
    stack->setSpacing(14);
    return stack;
}

QLabel* label(const QString& text, qreal points, QFont::Weight weight, const char* role, FontDesign design) {
    auto* l = new QLabel(text);
    l->setProperty("role", QString::fromLatin1(role));
    l->setFont(designFont(points, weight, design));
    return l;
}

TitleBlock addTitleBlock(QBoxLayout* row, const QString& title, QFont::Weight countWeight) {
    auto* badge = new QLabel;
    badge->setFixedSize(36, 36);
    keepClearOfToast(badge);
    row->addWidget(badge);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(1);
    QLabel* titleLabel = label(title, 18, QFont::Bold, "primary", FontDesign::rounded);
    titleLabel->setObjectName(QStringLiteral("screenTitle"));
    keepClearOfToast(titleLabel);
    titles->addWidget(titleLabel);
    QLabel* count = label(QString(), 11, countWeight, "secondary");
    count->setObjectName(QStringLiteral("countLine"));
    keepClearOfToast(count);
    titles->addWidget(count);
    row->addLayout(titles);
    row->addStretch(1);
    return {badge, count};
}

namespace {
constexpr const char* kKeepClearOfToast = "keepClearOfToast";
}

void keepClearOfToast(QWidget* widget) {
    widget->setProperty(kKeepClearOfToast, true);
}

bool keepsClearOfToast(const QWidget* widget) {
    return widget->property(kKeepClearOfToast).toBool();
}

QWidget* divider() {
    auto* line = new QFrame;
    line->setProperty("role", QStringLiteral("divider"));
    line->setFixedHeight(1);
    return line;
}

QString css(const QColor& c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alphaF());
}

void restyle(QWidget* root) {
    // Palettes, not a style sheet: a sheet on an ancestor turns every descendant over to the style-sheet style,
    // which drops the palette-and-paint looks of the design components (the text field loses its border).
    const bool dark = isDark();
    const QColor primary = ThemeColors::textPrimary(dark);
    const QColor secondary = ThemeColors::textSecondary(dark);
    const QColor border = ThemeColors::border(dark);
    const QColor raised = ThemeColors::surfaceRaised(dark);
    for (auto* widget : root->findChildren<QWidget*>()) {
        const QString role = widget->property("role").toString();
        if (role.isEmpty()) continue;
        QPalette palette = widget->palette();
        if (role == QLatin1String("primary")) {
            palette.setColor(QPalette::WindowText, primary);
        } else if (role == QLatin1String("secondary")) {
            palette.setColor(QPalette::WindowText, secondary);
        } else if (role == QLatin1String("divider")) {
            palette.setColor(QPalette::Window, border);
            widget->setAutoFillBackground(true);
        } else if (role == QLatin1String("iconTile")) {
            auto* tile = static_cast<QLabel*>(widget);
            tile->setStyleSheet(QStringLiteral("background: %1; border-radius: %2px;")
                                    .arg(css(raised))
                                    .arg(tile->property("radius").toInt()));
            tile->setPixmap(symbol(tile->property("symbol").toString(), secondary,
                                   tile->property("symbolPoints").toReal(), QFont::DemiBold));
            continue;
        }
        widget->setPalette(palette);
    }
}

void makeTransparent(QScrollArea* scroll) {
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    if (scroll->widget()) scroll->widget()->setAutoFillBackground(false);
}

}  // namespace clicktrove::view_style
