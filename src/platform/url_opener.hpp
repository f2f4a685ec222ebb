#pragma once

#include <string>

namespace clicktrove::platform {

// Hands a URL (web page or local file) to the desktop's handler for it.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    // Returns false when no handler took it. Main thread only.
    virtual bool openUrl(const std::string& url) = 0;
};

}  // namespace clicktrove::platform
