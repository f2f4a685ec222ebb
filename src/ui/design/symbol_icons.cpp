#include "ui/design/symbol_icons.hpp"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmapCache>
#include <algorithm>

namespace clicktrove {

namespace {

SymbolTable& sharedTable() {
    static SymbolTable table = SymbolTable::standard();
    return table;
}

const SymbolIcon* find(const QString& symbol) {
    return sharedTable().find(symbol);
}

// A dot in the middle of the box, the mark for a symbol nobody put in the table.
const QString kUnknownGlyph = QString::fromUtf8("\u2022");

}  // namespace

const std::vector<SymbolIcon>& SymbolIcons::table() {
    return sharedTable().entries();
}

void SymbolIcons::registerSymbol(const SymbolIcon& entry) {
    sharedTable().registerSymbol(entry);
}

bool SymbolIcons::isKnown(const QString& symbol) {
    return find(symbol) != nullptr;
}

QString SymbolIcons::themeIconName(const QString& symbol) {
    const auto* entry = find(symbol);
    return entry == nullptr ? QString() : entry->themeIcon;
}

QString SymbolIcons::fallbackGlyph(const QString& symbol) {
    const auto* entry = find(symbol);
    return entry == nullptr || entry->glyph.isEmpty() ? kUnknownGlyph : entry->glyph;
}

QIcon SymbolIcons::themeIcon(const QString& symbol) {
    const QString name = themeIconName(symbol);
    if (name.isEmpty() || !QIcon::hasThemeIcon(name)) return {};
    return QIcon::fromTheme(name);
}

qreal SymbolIcons::extent(const QFont& font) {
    return QFontMetricsF(font).height();
}

void SymbolIcons::paint(QPainter& painter, const QRectF& box, const QString& symbol, const QColor& color,
                        const QFont& font) {
    const QIcon icon = themeIcon(symbol);
    painter.save();
    if (!icon.isNull()) {
        // A symbol is as tall as a capital letter plus a little, like the text it sits with.
        const QFontMetricsF metrics(font);
        const qreal side = std::min({metrics.ascent() * 1.05, box.width(), box.height()});
        const QRectF target(box.center().x() - side / 2, box.center().y() - side / 2, side, side);
        const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
        const int pixels = std::max(1, static_cast<int>(std::ceil(side * dpr)));
        // Buttons and tiles repaint often during a run; the tinted icon is made once per symbol, colour and size.
        const QString key = QStringLiteral("clicktrove-symbol:%1:%2:%3:%4")
                                .arg(symbol, QIcon::themeName(), color.name(QColor::HexArgb))
                                .arg(pixels);
        QPixmap tinted;
        if (!QPixmapCache::find(key, &tinted)) {
            QImage image =
                icon.pixmap(QSize(pixels, pixels)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            {
                // Tint: keep the icon's coverage, take the colour of the place.
                QPainter tint(&image);
                tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
                tint.fillRect(image.rect(), color);
            }
            tinted = QPixmap::fromImage(image);
            QPixmapCache::insert(key, tinted);
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, tinted, QRectF(tinted.rect()));
    } else {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(box, Qt::AlignCenter, fallbackGlyph(symbol));
    }
    painter.restore();
}

QPixmap SymbolIcons::pixmap(const QString& symbol, const QColor& color, const QFont& font, qreal devicePixelRatio) {
    const qreal side = extent(font);
    const int pixels = std::max(1, static_cast<int>(std::ceil(side * devicePixelRatio)));
    QPixmap pixmap(pixels, pixels);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paint(painter, QRectF(0, 0, side, side), symbol, color, font);
    return pixmap;
}

QIcon SymbolIcons::icon(const QString& symbol, const QColor& color, const QFont& font) {
    QIcon icon;
    icon.addPixmap(pixmap(symbol, color, font, 1.0));
    icon.addPixmap(pixmap(symbol, color, font, 2.0));
    return icon;
}

}  // namespace clicktrove
