#include "platform/single_instance_chain.hpp"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using clicktrove::platform::SingleInstance;
using clicktrove::platform::SingleInstanceChain;
using Claim = SingleInstance::Claim;

namespace {

// A mechanism with a fixed answer that notes in a shared log when it is given up.
class ScriptedLink final : public SingleInstance {
public:
    ScriptedLink(std::string name, Claim result, std::vector<std::string>& log)
        : name_(std::move(name)), result_(result), log_(log) {}
    ~ScriptedLink() override { log_.push_back("released " + name_); }

    Claim claim(std::string* error) override {
        log_.push_back("claimed " + name_);
        if (error) *error = name_ + " says no";
        return result_;
    }

private:
    std::string name_;
    Claim result_;
    std::vector<std::string>& log_;
};

std::unique_ptr<SingleInstanceChain> chain(const std::vector<std::pair<std::string, Claim>>& links,
                                           std::vector<std::string>& log) {
    std::vector<std::unique_ptr<SingleInstance>> made;
    for (const auto& [name, result] : links) made.push_back(std::make_unique<ScriptedLink>(name, result, log));
    return std::make_unique<SingleInstanceChain>(std::move(made));
}

TEST(SingleInstanceChain, TheFirstLinkThatFindsARunningInstanceDecidesAndTheClaimsTakenAreGivenUp) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, Claim>> links;
        Claim expected;
        std::vector<std::string> log;  // after the claim
    };
    const Case cases[] = {
        {"both claimed",
         {{"bus", Claim::primary}, {"socket", Claim::primary}},
         Claim::primary,
         {"claimed bus", "claimed socket"}},
        {"the bus finds the instance",
         {{"bus", Claim::handedOver}, {"socket", Claim::primary}},
         Claim::handedOver,
         {"claimed bus", "released bus", "released socket"}},
        // The running instance has no bus: this launch got the name, and must give it back.
        {"only the socket finds it",
         {{"bus", Claim::primary}, {"socket", Claim::handedOver}},
         Claim::handedOver,
         {"claimed bus", "claimed socket", "released bus", "released socket"}},
        {"an instance that does not answer",
         {{"bus", Claim::unanswered}, {"socket", Claim::primary}},
         Claim::unanswered,
         {"claimed bus", "released bus", "released socket"}},
        {"no bus",
         {{"bus", Claim::unguarded}, {"socket", Claim::primary}},
         Claim::primary,
         {"claimed bus", "claimed socket"}},
        {"nothing to claim with",
         {{"bus", Claim::unguarded}, {"socket", Claim::unguarded}},
         Claim::unguarded,
         {"claimed bus", "claimed socket"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> log;
        auto instance = chain(c.links, log);
        std::string error;
        EXPECT_EQ(instance->claim(&error), c.expected);
        EXPECT_EQ(log, c.log);
        if (c.expected == Claim::unguarded) {
            EXPECT_EQ(error, "bus says no; socket says no");
        }
    }
}

TEST(SingleInstanceChain, ALaterLaunchHeardByAnyLinkReachesTheChainsHandler) {
    std::vector<std::string> log;
    std::vector<std::unique_ptr<SingleInstance>> links;
    links.push_back(std::make_unique<ScriptedLink>("bus", Claim::primary, log));
    links.push_back(std::make_unique<ScriptedLink>("socket", Claim::primary, log));
    SingleInstance* socket = links.back().get();
    SingleInstanceChain instance(std::move(links));
    std::vector<std::string> startupIds;
    instance.onActivate = [&](const std::string& id) { startupIds.push_back(id); };
    ASSERT_EQ(instance.claim(nullptr), Claim::primary);
    socket->onActivate("launch-1");
    EXPECT_EQ(startupIds, std::vector<std::string>{"launch-1"});
}

}  // namespace
