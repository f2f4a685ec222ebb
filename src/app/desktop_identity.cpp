#include "app/desktop_identity.hpp"

#include "build_config.hpp"
#include "platform/qt/fallback_icon_theme.hpp"
#include "services/menu_bar_manager.hpp"

#include <QApplication>
#include <QIcon>

namespace clicktrove {

void applyDesktopIdentity() {
    // Before any icon is looked up: Qt settles the fallback theme at the first lookup.
    platform::installFallbackIconTheme();
    // The class part of every window's WM_CLASS, which the desktop entry's StartupWMClass names.
    QApplication::setApplicationName(QStringLiteral(CLICKTROVE_WM_CLASS));
    // No display name: Qt would append it to every window title ("Clicktrove Mini Control — Clicktrove").
    QApplication::setDesktopFileName(QStringLiteral(CLICKTROVE_APP_ID));
}

void applyWindowIcon() {
    // Qt hands a new application icon to every window that has none of its own, the main window included.
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(CLICKTROVE_APP_ID), MenuBarManager::applicationIcon()));
}

}  // namespace clicktrove
