#include "platform/bounded_json.hpp"

#include <gtest/gtest.h>
#include <string>

using clicktrove::platform::jsonWithinLimits;
using clicktrove::platform::kMaxJsonDepth;
using clicktrove::platform::parseBoundedJson;

namespace {
std::string nested(std::size_t depth, char open = '[', char close = ']') {
    return std::string(depth, open) + std::string(depth, close);
}
// Appending, not "literal" + std::string: GCC 12 warns of a false overlap (-Wrestrict) in the latter.
std::string cat(std::initializer_list<std::string> parts) {
    std::string text;
    for (const auto& part : parts) text += part;
    return text;
}
}  // namespace

TEST(BoundedJson, NestingUpToTheLimitParsesAndOneLevelMoreIsRefused) {
    EXPECT_EQ(kMaxJsonDepth, 256u);
    const struct {
        const char* name;
        std::string text;
        bool within;
    } cases[] = {
        {"arrays at the limit", nested(256), true},
        {"arrays one level over", nested(257), false},
        {"objects and arrays mixed", cat({"{\"a\":", nested(255), "}"}), true},
        {"mixed, one over", cat({"{\"a\":", nested(256), "}"}), false},
        {"brackets inside a string do not count", cat({"[\"", nested(1000), "\"]"}), true},
        {"an escaped quote does not end the string", cat({"[\"\\\"", nested(1000), "\"]"}), true},
        {"an escaped backslash does", cat({"[\"\\\\\",", nested(300), "]"}), false},
        {"siblings do not add up", cat({"[", nested(200), ",", nested(200), "]"}), true},
        {"scalars", "12", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(jsonWithinLimits(c.text), c.within);
        std::string error;
        EXPECT_EQ(parseBoundedJson(c.text, &error).has_value(), c.within) << error;
        if (!c.within) {
            EXPECT_EQ(error, "nested more than 256 levels deep");
        }
    }
}

TEST(BoundedJson, TextThatIsNotJsonGivesNothingWithAReasonFitForANotice) {
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {"", "not valid JSON: empty"},
        {"{", "not valid JSON: it ends too early"},
        {"{\"theme\": \"Da", "not valid JSON: it ends too early"},
        {"nul", "not valid JSON: it ends too early"},
        {"[1,]", "not valid JSON: unexpected text at byte 4"},
        {"{\"a\" 1}", "not valid JSON: unexpected text at byte 6"},
        {"\xff", "not valid JSON: unexpected text at byte 1"},
        {"[1] x", "not valid JSON: unexpected text at byte 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::string error;
        EXPECT_FALSE(parseBoundedJson(c.text, &error).has_value());
        EXPECT_EQ(error, c.reason);
    }
    // Far beyond any stack: refused in one pass, never handed to anything recursive.
    EXPECT_FALSE(parseBoundedJson(nested(1'000'000, '{', '}')).has_value());
}

TEST(BoundedJson, ADocumentOfMoreThanTwoMillionValuesIsRefusedBeforeItIsBuilt) {
    EXPECT_EQ(clicktrove::platform::kMaxJsonValues, 2'000'000u);
    // Some 6 MB of tiny objects would take well over 150 MB once parsed.
    std::string many = "[{}";
    for (int i = 1; i < 2'000'000; ++i) many += ",{}";
    many += "]";
    std::string error;
    EXPECT_FALSE(parseBoundedJson(many, &error).has_value());
    EXPECT_EQ(error, "more than 2000000 values");
    // Long texts are few values.
    const std::string text = "[\"" + std::string(10'000'000, 'x') + "\", 1]";
    EXPECT_TRUE(parseBoundedJson(text).has_value());
    EXPECT_TRUE(jsonWithinLimits("[1,2,3]", 10, 3));
    EXPECT_FALSE(jsonWithinLimits("[1,2,3,4]", 10, 3));
}
