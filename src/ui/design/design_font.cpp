#include "ui/design/design_font.hpp"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace clicktrove {

namespace {

// Rounded faces some desktops ship; the first one installed wins. None is required.
QString roundedFamily() {
    static const QString family = [] {
        const QStringList candidates{"Nunito", "Quicksand", "Varela Round", "M PLUS Rounded 1c", "Comfortaa"};
        const QStringList installed = QFontDatabase::families();
        for (const auto& name : candidates) {
            if (installed.contains(name, Qt::CaseInsensitive)) return name;
        }
        return QString();
    }();
    return family;
}

}  // namespace

QFont designFont(qreal points, QFont::Weight weight, FontDesign design) {
    QFont font = design == FontDesign::monospaced ? QFontDatabase::systemFont(QFontDatabase::FixedFont)
                                                  : QGuiApplication::font();
    if (design == FontDesign::rounded) {
        const QString family = roundedFamily();
        if (!family.isEmpty()) font.setFamily(family);
    }
    // A layout point is one device-independent pixel; QFont::setPixelSize would round to whole pixels, so the
    // size goes in as the point size that the screen's logical DPI turns into exactly that many pixels.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen != nullptr && screen->logicalDotsPerInchY() > 0 ? screen->logicalDotsPerInchY() : 96.0;
    font.setPointSizeF(points * 72.0 / dpi);
    font.setWeight(weight);
    return font;
}

}  // namespace clicktrove
