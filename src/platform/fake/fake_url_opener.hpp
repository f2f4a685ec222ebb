#pragma once

#include "platform/url_opener.hpp"

#include <string>
#include <vector>

namespace clicktrove::platform {

// Records the URLs it is asked to open.
class FakeUrlOpener final : public UrlOpener {
public:
    bool openUrl(const std::string& url) override {
        opened_.push_back(url);
        return succeed_;
    }
    const std::vector<std::string>& opened() const { return opened_; }
    void setSucceeds(bool succeed) { succeed_ = succeed; }

private:
    std::vector<std::string> opened_;
    bool succeed_ = true;
};

}  // namespace clicktrove::platform
