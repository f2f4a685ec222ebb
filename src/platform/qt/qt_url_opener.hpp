#pragma once

#include "platform/url_opener.hpp"

namespace clicktrove::platform {

// Opens URLs with the desktop's handlers (xdg-open and the portal behind QDesktopServices).
class QtUrlOpener final : public UrlOpener {
public:
    bool openUrl(const std::string& url) override;
};

}  // namespace clicktrove::platform
