#pragma once

#include "services/app_theme.hpp"
#include "ui/design/appearance.hpp"

#include <QMetaObject>
#include <QObject>
#include <QPalette>
#include <QString>

namespace clicktrove {

class SettingsManager;

}  // namespace clicktrove

class QWidget;

namespace clicktrove {

// The process-wide appearance every design component and screen draws under. Components repaint on
// changed(); screens that paint theme colours themselves connect to it too. It starts from the desktop's
// appearance; follow() makes it track the theme setting: "Light" and "Dark" force the appearance and give the
// application a matching palette (so plain Qt widgets fit in), "System" restores the desktop's palette and
// keeps following it. Main thread only.
class ThemeAppearance final : public QObject {
    Q_OBJECT
public:
    static ThemeAppearance& instance();

    Appearance appearance() const { return appearance_; }
    bool isDark() const { return usesDarkColors(appearance_); }

    // Sets the appearance without touching the palette; changed() fires only on a real change.
    void setAppearance(Appearance appearance);

    // Applies the setting now and on every later change of it; a later call replaces the earlier one.
    void follow(SettingsManager& settings);
    void applyTheme(AppTheme theme);
    AppTheme theme() const { return theme_; }

    // A window that is drawn dark whatever the theme (the preset sheets): root and everything inside it take the
    // dark values. Components that resolve their colours through isDarkFor() honour it.
    static void forceDark(QWidget& root);
    // Whether widget is drawn dark: under a root given to forceDark(), always; elsewhere as the process is.
    static bool isDarkFor(const QWidget* widget);

    // The desktop's appearance from its palette and its theme's name: a dark window colour means dark, and a
    // theme named like "HighContrast..." is the high-contrast variant.
    static Appearance systemAppearance(const QPalette& desktopPalette, const QString& desktopThemeName);
    // The application palette for a forced light or dark theme, built from the theme colours.
    static QPalette palette(bool dark);

signals:
    void changed(Appearance appearance);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ThemeAppearance();
    Appearance currentSystemAppearance() const;
    void watchApplication();

    Appearance appearance_ = Appearance::light;
    AppTheme theme_ = AppTheme::system;
    bool paletteForced_ = false;
    bool applyingPalette_ = false;
    bool watching_ = false;
    QMetaObject::Connection settingsConnection_;
};

}  // namespace clicktrove
