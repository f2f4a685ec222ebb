#include "platform/qt/qt_url_opener.hpp"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace clicktrove::platform {

bool QtUrlOpener::openUrl(const std::string& url) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

}  // namespace clicktrove::platform
