#include "ui/design/theme_appearance.hpp"

#include "services/settings_manager.hpp"
#include "ui/design/theme_colors.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QWidget>

namespace clicktrove {

ThemeAppearance& ThemeAppearance::instance() {
    // Never destroyed: components may still ask for the appearance while the application object goes away.
    static auto* const appearance = new ThemeAppearance();
    return *appearance;
}

ThemeAppearance::ThemeAppearance() {
    watchApplication();
    if (watching_) appearance_ = currentSystemAppearance();
}

void ThemeAppearance::watchApplication() {
    if (watching_) return;
    if (auto* app = qobject_cast<QGuiApplication*>(QGuiApplication::instance())) {
        app->installEventFilter(this);
        watching_ = true;
    }
}

void ThemeAppearance::setAppearance(Appearance appearance) {
    if (appearance == appearance_) return;
    appearance_ = appearance;
    emit changed(appearance_);
}

void ThemeAppearance::follow(SettingsManager& settings) {
    disconnect(settingsConnection_);
    settingsConnection_ =
        connect(&settings, &SettingsManager::themeChanged, this, [this](AppTheme theme) { applyTheme(theme); });
    applyTheme(settings.theme());
}

void ThemeAppearance::applyTheme(AppTheme theme) {
    theme_ = theme;
    watchApplication();
    if (!watching_) {
        setAppearance(theme == AppTheme::dark ? Appearance::dark : Appearance::light);
        return;
    }
    applyingPalette_ = true;
    switch (theme) {
        case AppTheme::system:
            if (paletteForced_) {
                // A palette with nothing set resolves every role from the platform again.
                QGuiApplication::setPalette(QPalette());
                paletteForced_ = false;
            }
            applyingPalette_ = false;
            setAppearance(currentSystemAppearance());
            return;
        case AppTheme::light:
        case AppTheme::dark: {
            const bool dark = theme == AppTheme::dark;
            QGuiApplication::setPalette(palette(dark));
            paletteForced_ = true;
            applyingPalette_ = false;
            setAppearance(dark ? Appearance::dark : Appearance::light);
            return;
        }
    }
    applyingPalette_ = false;
}

namespace {
constexpr const char* kForcedDarkProperty = "clicktroveForcedDark";
}

void ThemeAppearance::forceDark(QWidget& root) {
    root.setProperty(kForcedDarkProperty, true);
}

bool ThemeAppearance::isDarkFor(const QWidget* widget) {
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (w->property(kForcedDarkProperty).toBool()) return true;
    }
    return instance().isDark();
}

Appearance ThemeAppearance::currentSystemAppearance() const {
    QString themeName = qEnvironmentVariable("GTK_THEME");
    if (themeName.isEmpty()) themeName = QIcon::themeName();
    return systemAppearance(QGuiApplication::palette(), themeName);
}

Appearance ThemeAppearance::systemAppearance(const QPalette& desktopPalette, const QString& desktopThemeName) {
    const QColor window = desktopPalette.color(QPalette::Active, QPalette::Window);
    const QColor text = desktopPalette.color(QPalette::Active, QPalette::WindowText);
    // Dark when the window is darker than its text: robust to palettes whose window is mid-grey.
    const bool dark = window.lightnessF() < text.lightnessF();
    const bool highContrast = desktopThemeName.contains(QLatin1String("highcontrast"), Qt::CaseInsensitive);
    if (highContrast) return dark ? Appearance::highContrastDark : Appearance::highContrastLight;
    return dark ? Appearance::dark : Appearance::light;
}

QPalette ThemeAppearance::palette(bool dark) {
    const QColor background = ThemeColors::background(dark);
    const QColor surface = ThemeColors::surface(dark);
    const QColor raised = ThemeColors::surfaceRaised(dark);
    const QColor border = ThemeColors::border(dark);
    const QColor text = ThemeColors::textPrimary(dark);
    const QColor secondary = ThemeColors::textSecondary(dark);

    QPalette palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        const QColor foreground = disabled ? secondary : text;
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::WindowText, foreground);
        palette.setColor(group, QPalette::Base, surface);
        palette.setColor(group, QPalette::AlternateBase, raised);
        palette.setColor(group, QPalette::Text, foreground);
        palette.setColor(group, QPalette::Button, raised);
        palette.setColor(group, QPalette::ButtonText, foreground);
        palette.setColor(group, QPalette::BrightText, Qt::white);
        palette.setColor(group, QPalette::PlaceholderText, secondary);
        palette.setColor(group, QPalette::ToolTipBase, raised);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::Light, dark ? raised.lighter(130) : Qt::white);
        palette.setColor(group, QPalette::Midlight, raised);
        palette.setColor(group, QPalette::Mid, border);
        palette.setColor(group, QPalette::Dark, dark ? border.darker(130) : border.darker(115));
        palette.setColor(group, QPalette::Shadow, QColor(0, 0, 0, dark ? 160 : 80));
        palette.setColor(group, QPalette::Highlight, disabled ? border : ThemeColors::purple());
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::Link, ThemeColors::indigo());
    }
    return palette;
}

bool ThemeAppearance::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ApplicationPaletteChange && watched == QGuiApplication::instance() &&
        !applyingPalette_ && theme_ == AppTheme::system) {
        setAppearance(currentSystemAppearance());
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace clicktrove
