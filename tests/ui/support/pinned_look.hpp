#pragma once

#include "services/app_theme.hpp"
#include "ui/design/theme_appearance.hpp"

#include <QApplication>
#include <QFont>
#include <QFontInfo>

namespace clicktrove::testing {

// Lays the screens out in a known face, whatever the host's desktop font: DejaVu Sans, which the test
// dependencies install. Restores the application font when it goes.
class PinnedFont {
public:
    PinnedFont() : saved_(QApplication::font()) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(13);
        QApplication::setFont(font);
    }
    ~PinnedFont() { QApplication::setFont(saved_); }
    PinnedFont(const PinnedFont&) = delete;
    PinnedFont& operator=(const PinnedFont&) = delete;

    // Whether the face is really there (the layouts under test were measured with it).
    static bool isAvailable() { return QFontInfo(QApplication::font()).family().startsWith(QStringLiteral("DejaVu")); }

private:
    QFont saved_;
};

// Forces the theme for the fixture's life and hands the desktop's back after.
class PinnedTheme {
public:
    explicit PinnedTheme(AppTheme theme) { ThemeAppearance::instance().applyTheme(theme); }
    ~PinnedTheme() { ThemeAppearance::instance().applyTheme(AppTheme::system); }
    PinnedTheme(const PinnedTheme&) = delete;
    PinnedTheme& operator=(const PinnedTheme&) = delete;
};

}  // namespace clicktrove::testing
