#pragma once

#include "platform/single_instance.hpp"

#include <memory>
#include <vector>

namespace clicktrove::platform {

// Claims through several mechanisms in order, so that launches which reach different ones still find each
// other (a launch from a shell without the session bus finds the instance by its socket). The first mechanism
// that hands over or finds an unanswering instance decides; the claims already taken are given up again. This
// process is the instance when at least one mechanism made it so.
class SingleInstanceChain final : public SingleInstance {
public:
    explicit SingleInstanceChain(std::vector<std::unique_ptr<SingleInstance>> links);

    Claim claim(std::string* error) override;

private:
    std::vector<std::unique_ptr<SingleInstance>> links_;
};

}  // namespace clicktrove::platform
