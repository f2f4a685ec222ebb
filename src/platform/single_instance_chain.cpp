#include "platform/single_instance_chain.hpp"

namespace clicktrove::platform {

SingleInstanceChain::SingleInstanceChain(std::vector<std::unique_ptr<SingleInstance>> links)
    : links_(std::move(links)) {
    for (auto& link : links_) {
        link->onActivate = [this](const std::string& startupId) {
            if (onActivate) onActivate(startupId);
        };
    }
}

SingleInstance::Claim SingleInstanceChain::claim(std::string* error) {
    bool claimed = false;
    std::string unguardedBecause;
    for (auto& link : links_) {
        std::string linkError;
        const Claim result = link->claim(&linkError);
        if (result == Claim::primary) {
            claimed = true;
            continue;
        }
        if (result == Claim::unguarded) {
            if (!unguardedBecause.empty()) unguardedBecause += "; ";
            unguardedBecause += linkError;
            continue;
        }
        // Handed over or unanswered: this process will not be the instance, so nothing it claimed may stay.
        links_.clear();
        if (error) *error = linkError;
        return result;
    }
    if (claimed) return Claim::primary;
    if (error) *error = unguardedBecause;
    return Claim::unguarded;
}

}  // namespace clicktrove::platform
