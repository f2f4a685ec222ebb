#include "ui/design/symbol_icons.hpp"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPixmapCache>
#include <algorithm>

namespace clicktrove {

namespace {

// Symbol, freedesktop icon (Adwaita and Breeze carry these "-symbolic" names), and a glyph that DejaVu Sans has.
// Every symbol a screen of the program names is here; a symbol without a fitting icon has an empty icon name
// and is always drawn as its glyph.
std::vector<SymbolIcon>& mutableTable() {
    static std::vector<SymbolIcon> table{
        // run control
        {"play.fill", "media-playback-start-symbolic", QString::fromUtf8("\u25B6")},
        {"pause.fill", "media-playback-pause-symbolic", QString::fromUtf8("\u275A\u275A")},
        {"stop.fill", "media-playback-stop-symbolic", QString::fromUtf8("\u25A0")},
        {"record.circle", "media-record-symbolic", QString::fromUtf8("\u25C9")},
        {"bolt.fill", "thunderbolt-symbolic", QString::fromUtf8("\u26A1")},
        {"timer", "preferences-system-time-symbolic", QString::fromUtf8("\u25F4")},
        {"target", "find-location-symbolic", QString::fromUtf8("\u25CE")},
        {"infinity", "", QString::fromUtf8("\u221E")},
        {"hand.raised.fill", "action-unavailable-symbolic", QString::fromUtf8("\u2690")},
        {"hand.draw.fill", "input-touchpad-symbolic", QString::fromUtf8("\u261B")},
        // pointer and targets
        {"cursorarrow", "input-mouse-symbolic", QString::fromUtf8("\u2196")},
        {"cursorarrow.click.2", "input-mouse-symbolic", QString::fromUtf8("\u2196")},
        {"cursorarrow.click.badge.clock", "input-mouse-symbolic", QString::fromUtf8("\u2196")},
        {"location.circle.fill", "find-location-symbolic", QString::fromUtf8("\u25CE")},
        {"mappin.circle.fill", "mark-location-symbolic", QString::fromUtf8("\u25C9")},
        {"largecircle.fill.circle", "radio-checked-symbolic", QString::fromUtf8("\u25C9")},
        {"circle", "radio-symbolic", QString::fromUtf8("\u25CB")},
        // time
        {"clock.fill", "preferences-system-time-symbolic", QString::fromUtf8("\u25F7")},
        {"clock.arrow.circlepath", "document-open-recent-symbolic", QString::fromUtf8("\u27F2")},
        {"clock.badge.exclamationmark", "alarm-symbolic", QString::fromUtf8("\u25F7")},
        {"calendar.badge.clock", "x-office-calendar-symbolic", QString::fromUtf8("\u25A6")},
        // sections and tabs
        {"tray.2", "folder-symbolic", QString::fromUtf8("\u25A4")},
        {"tray.2.fill", "folder-symbolic", QString::fromUtf8("\u25A4")},
        {"waveform", "audio-input-microphone-symbolic", QString::fromUtf8("\u223F")},
        {"gearshape.fill", "emblem-system-symbolic", QString::fromUtf8("\u2699")},
        {"gearshape.2.fill", "emblem-system-symbolic", QString::fromUtf8("\u2699")},
        {"person.fill", "avatar-default-symbolic", QString::fromUtf8("\u263A")},
        {"person.crop.circle.fill", "avatar-default-symbolic", QString::fromUtf8("\u263A")},
        {"slider.horizontal.3", "preferences-other-symbolic", QString::fromUtf8("\u2261")},
        {"slider.horizontal.2.square", "preferences-other-symbolic", QString::fromUtf8("\u2261")},
        {"paintpalette.fill", "applications-graphics-symbolic", QString::fromUtf8("\u25D0")},
        {"speaker.fill", "audio-volume-low-symbolic", QString::fromUtf8("\u266A")},
        {"speaker.wave.2.fill", "audio-volume-high-symbolic", QString::fromUtf8("\u266A")},
        {"lock.shield.fill", "changes-prevent-symbolic", QString::fromUtf8("\u25A3")},
        {"checkmark.shield.fill", "security-high-symbolic", QString::fromUtf8("\u2714")},
        {"exclamationmark.shield.fill", "security-low-symbolic", QString::fromUtf8("!")},
        {"power", "system-shutdown-symbolic", QString::fromUtf8("\u263C")},
        {"dock.rectangle", "user-desktop-symbolic", QString::fromUtf8("\u25AD")},
        {"arrow.down.right.and.arrow.up.left", "view-restore-symbolic", QString::fromUtf8("\u2922")},
        {"arrow.counterclockwise", "edit-undo-symbolic", QString::fromUtf8("\u21BA")},
        {"arrow.clockwise", "view-refresh-symbolic", QString::fromUtf8("\u21BB")},
        {"rectangle.badge.plus", "window-new-symbolic", QString::fromUtf8("\u229E")},
        {"rectangle.badge.minus", "window-minimize-symbolic", QString::fromUtf8("\u229F")},
        {"play.rectangle.on.hotspot", "media-playlist-repeat-symbolic", QString::fromUtf8("\u25B6")},
        // actions
        {"info.circle", "help-about-symbolic", QString::fromUtf8("\u2139")},
        {"xmark", "window-close-symbolic", QString::fromUtf8("\u2715")},
        {"checkmark", "object-select-symbolic", QString::fromUtf8("\u2713")},
        {"checkmark.circle.fill", "emblem-ok-symbolic", QString::fromUtf8("\u2714")},
        {"xmark.octagon.fill", "dialog-error-symbolic", QString::fromUtf8("\u2716")},
        {"plus", "list-add-symbolic", QString::fromUtf8("+")},
        {"plus.circle", "list-add-symbolic", QString::fromUtf8("\u2295")},
        {"plus.square.on.square", "edit-copy-symbolic", QString::fromUtf8("\u2750")},
        {"pencil", "document-edit-symbolic", QString::fromUtf8("\u270E")},
        {"trash", "user-trash-symbolic", QString::fromUtf8("\u2715")},
        {"star", "non-starred-symbolic", QString::fromUtf8("\u2606")},
        {"star.fill", "starred-symbolic", QString::fromUtf8("\u2605")},
        {"square.and.arrow.up", "document-send-symbolic", QString::fromUtf8("\u21E7")},
        {"square.and.arrow.down", "document-save-symbolic", QString::fromUtf8("\u21E9")},
        {"arrow.up.doc", "document-send-symbolic", QString::fromUtf8("\u2B06")},
        {"arrow.down.doc", "document-open-symbolic", QString::fromUtf8("\u2B07")},
        {"arrow.down.circle", "go-down-symbolic", QString::fromUtf8("\u21E9")},
        {"arrow.up.right", "go-jump-symbolic", QString::fromUtf8("\u2197")},
        {"arrow.up.right.square", "go-jump-symbolic", QString::fromUtf8("\u2197")},
        {"chevron.left.forwardslash.chevron.right", "applications-engineering-symbolic", QStringLiteral("</>")},
        {"globe", "web-browser-symbolic", QString::fromUtf8("\u25CD")},
    };
    return table;
}

const SymbolIcon* find(const QString& symbol) {
    const auto& table = mutableTable();
    const auto it = std::find_if(table.begin(), table.end(), [&](const SymbolIcon& e) { return e.symbol == symbol; });
    return it == table.end() ? nullptr : &*it;
}

// A dot in the middle of the box, the mark for a symbol nobody put in the table.
const QString kUnknownGlyph = QString::fromUtf8("\u2022");

}  // namespace

const std::vector<SymbolIcon>& SymbolIcons::table() {
    return mutableTable();
}

void SymbolIcons::registerSymbol(const SymbolIcon& entry) {
    auto& table = mutableTable();
    const auto it =
        std::find_if(table.begin(), table.end(), [&](const SymbolIcon& e) { return e.symbol == entry.symbol; });
    if (it != table.end()) {
        *it = entry;
    } else {
        table.push_back(entry);
    }
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
