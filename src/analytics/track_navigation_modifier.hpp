#pragma once

#include <string>

namespace clicktrove::analytics {

// Reports a navigation to path each time the screen it belongs to is shown: the screen calls onAppear().
class TrackNavigationModifier {
public:
    explicit TrackNavigationModifier(std::string path) : path_(std::move(path)) {}
    void onAppear() const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace clicktrove::analytics
