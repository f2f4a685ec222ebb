#include "engine/uuid.hpp"

#include <gtest/gtest.h>
#include <cctype>
#include <string>
#include <unordered_set>

using clicktrove::Uuid;

namespace {
class ConstantRandom final : public clicktrove::platform::RandomSource {
public:
    explicit ConstantRandom(std::uint64_t value) : value_(value) {}
    std::uint64_t nextUInt64() override { return value_; }

private:
    std::uint64_t value_;
};
}  // namespace

TEST(Uuid, RandomIsVersionFourWrittenUpperCase) {
    ConstantRandom ones(~std::uint64_t{0});
    EXPECT_EQ(Uuid::random(ones).text(), "FFFFFFFF-FFFF-4FFF-BFFF-FFFFFFFFFFFF");
    ConstantRandom zeros(0);
    EXPECT_EQ(Uuid::random(zeros).text(), "00000000-0000-4000-8000-000000000000");

    std::unordered_set<Uuid> seen;
    for (int i = 0; i < 200; ++i) {
        const Uuid id = Uuid::random();
        const std::string text = id.text();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;
        for (const char c : text) EXPECT_FALSE(std::islower(static_cast<unsigned char>(c))) << text;
        EXPECT_TRUE(seen.insert(id).second) << "duplicate " << text;
    }
}

TEST(Uuid, ParsesEitherCaseAndRoundTrips) {
    const auto upper = Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    const auto lower = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    const auto mixed = Uuid::parse("e621E1F8-c36C-495a-93Fc-0C247a3E6e5F");
    ASSERT_TRUE(upper && lower && mixed);
    EXPECT_EQ(*upper, *lower);
    EXPECT_EQ(*upper, *mixed);
    EXPECT_EQ(lower->text(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(upper->bytes()[0], 0xE6);
    EXPECT_EQ(upper->bytes()[15], 0x5F);
    // Any version reads back; only new identifiers are version 4.
    EXPECT_TRUE(Uuid::parse("00000000-0000-0000-0000-000000000000"));
    const Uuid id = Uuid::random();
    EXPECT_EQ(Uuid::parse(id.text()), id);
}

TEST(Uuid, RejectsMalformedText) {
    for (const char* text : {
             "",
             "E621E1F8-C36C-495A-93FC-0C247A3E6E5",      // 35 characters
             "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0",    // 37 characters
             "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",   // braces
             "E621E1F8C36C495A93FC0C247A3E6E5F",         // no hyphens
             "E621E1F-8C36C-495A-93FC-0C247A3E6E5F",     // hyphen misplaced
             "E621E1F8-C36C-495A-93FC-0C247A3E6E5G",     // not hex
             "E621E1F8-C36C-495A-93FC+0C247A3E6E5F",     // wrong separator
             " E621E1F8-C36C-495A-93FC-0C247A3E6E5",     // leading space
             "E621E1F8-C36C-495A-93FC-0C247A3E6E5\xC3",  // non-ASCII byte
             "not-a-uuid",
         }) {
        EXPECT_FALSE(Uuid::parse(text)) << '"' << text << '"';
    }
}
