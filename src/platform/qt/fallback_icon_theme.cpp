#include "platform/qt/fallback_icon_theme.hpp"

#include <QDir>
#include <QIcon>
#include <QStringList>
#include <cstdlib>

namespace clicktrove::platform {

namespace {
// The "icons" folders of the XDG data directories, most important first.
QStringList xdgIconFolders() {
    QStringList dataDirs;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && QDir::isAbsolutePath(QString::fromLocal8Bit(dataHome))) {
        dataDirs << QString::fromLocal8Bit(dataHome);
    } else {
        dataDirs << QDir::homePath() + QStringLiteral("/.local/share");
    }
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    const QString shared =
        dirs != nullptr && *dirs != '\0' ? QString::fromLocal8Bit(dirs) : QStringLiteral("/usr/local/share:/usr/share");
    dataDirs << shared.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    QStringList folders;
    for (const QString& dir : dataDirs) {
        if (QDir::isAbsolutePath(dir)) folders << QDir::cleanPath(dir + QStringLiteral("/icons"));
    }
    return folders;
}
}  // namespace

void installFallbackIconTheme() {
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& folder : xdgIconFolders()) {
        if (!paths.contains(folder) && QDir(folder).exists()) paths << folder;
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setFallbackThemeName(QString::fromLatin1(kFallbackIconTheme));
}

}  // namespace clicktrove::platform
