#include "engine/model_json.hpp"

#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

using namespace clicktrove;
using nlohmann::json;
using nlohmann::ordered_json;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Dates that a double holds exactly (half seconds), so round trips compare equal.
const Date kStart =
    Date{} + kReferenceDateFromUnixEpoch + std::chrono::seconds(786'000'000) + std::chrono::milliseconds(500);
const Date kStop = kStart + std::chrono::hours(2);
const Uuid kId = *Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

ClickConfig sampleConfig() {
    ClickConfig c{kStart};
    c.intervalHours = 2;
    c.intervalMinutes = -1;
    c.intervalSeconds = 9'223'372'036'854'775'807;
    c.intervalMilliseconds = 15;
    c.intervalMicroseconds = -9'223'372'036'854'775'807 - 1;
    c.maxClicks = -3;
    c.clickType = ClickType::doubleClick;
    c.positionMode = ClickPositionMode::fixed;
    c.fixedCoordinates = {{10.5, -20.25}, {0, 0}, {1e-300, 3840}};
    c.coordinatesOrder = CoordinatesOrder::random;
    c.randomizeInterval = true;
    c.intervalRandomRangeMs = 0.1;
    c.randomizeRadius = true;
    c.randomRadius = -2.0;
    c.isDragEnabled = true;
    c.dragStartPoint = {1, 2};
    c.dragEndPoint = {1919.75, 1079.5};
    c.dragDuration = 0.0;
    c.scheduledStartEnabled = true;
    c.scheduledStopEnabled = true;
    c.scheduledStopTime = kStop;
    c.edgeStopEnabled = false;
    c.playClickSound = true;
    c.clickSoundName = "Glass \xC3\xA9\"\\";
    c.soundVolume = 1.0;
    c.notifyOnComplete = false;
    return c;
}

ClickRecord sampleRecord() {
    return ClickRecord(kId, {100.5, 200.25}, ClickType::right, kStart, 1.25);
}
ClickPreset samplePreset() {
    return ClickPreset(kId, "Fast \xE2\x9A\xA1", sampleConfig(), true, kStop);
}
HistoryRecord sampleHistory() {
    return HistoryRecord(kId, kStop, 1234, 61.5, ClickType::holdMiddle, 49.75);
}

}  // namespace

// ---- Encoded form ----

TEST(ModelJson, ConfigKeysInDeclarationOrderWithTheirValueForms) {
    const auto j = toJson(sampleConfig());
    ASSERT_TRUE(j);
    std::vector<std::string> keys;
    for (const auto& item : j->items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"intervalHours",
                                              "intervalMinutes",
                                              "intervalSeconds",
                                              "intervalMilliseconds",
                                              "intervalMicroseconds",
                                              "maxClicks",
                                              "clickType",
                                              "positionMode",
                                              "fixedCoordinates",
                                              "coordinatesOrder",
                                              "randomizeInterval",
                                              "intervalRandomRangeMs",
                                              "randomizeRadius",
                                              "randomRadius",
                                              "isDragEnabled",
                                              "dragStartPoint",
                                              "dragEndPoint",
                                              "dragDuration",
                                              "scheduledStartEnabled",
                                              "scheduledStartTime",
                                              "scheduledStopEnabled",
                                              "scheduledStopTime",
                                              "edgeStopEnabled",
                                              "playClickSound",
                                              "clickSoundName",
                                              "soundVolume",
                                              "notifyOnComplete"}));
    EXPECT_EQ((*j)["clickType"], "Double Click");
    EXPECT_EQ((*j)["positionMode"], "Fixed Position");
    EXPECT_EQ((*j)["coordinatesOrder"], "Random Order");
    EXPECT_EQ((*j)["fixedCoordinates"].dump(), "[[10.5,-20.25],[0.0,0.0],[1e-300,3840.0]]");
    EXPECT_EQ((*j)["dragEndPoint"].dump(), "[1919.75,1079.5]");
    EXPECT_EQ((*j)["scheduledStartTime"].dump(), "786000000.5");
    EXPECT_EQ((*j)["intervalSeconds"].dump(), "9223372036854775807");
    EXPECT_EQ((*j)["intervalMicroseconds"].dump(), "-9223372036854775808");
    EXPECT_TRUE((*j)["maxClicks"].is_number_integer());
    EXPECT_EQ((*j)["randomizeInterval"], true);
}

TEST(ModelJson, RecordsKeysInDeclarationOrderWithUpperCaseIds) {
    const auto keysOf = [](const ordered_json& j) {
        std::string out;
        for (const auto& item : j.items()) out += item.key() + ",";
        return out;
    };
    const auto record = toJson(sampleRecord());
    const auto preset = toJson(samplePreset());
    const auto history = toJson(sampleHistory());
    ASSERT_TRUE(record && preset && history);
    EXPECT_EQ(keysOf(*record), "id,point,clickType,timestamp,delaySinceStart,");
    EXPECT_EQ(keysOf(*preset), "id,name,config,isFavorite,createdAt,");
    EXPECT_EQ(keysOf(*history), "id,date,totalClicks,duration,clickType,averageIntervalMs,");
    EXPECT_EQ((*record)["id"], "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ((*record)["point"].dump(), "[100.5,200.25]");
    EXPECT_EQ((*history)["clickType"], "Hold Middle Button");
    EXPECT_EQ((*preset)["config"].size(), 27u);
}

TEST(ModelJson, DatesCountSecondsSince2001) {
    const Date reference = Date{} + kReferenceDateFromUnixEpoch;
    EXPECT_EQ(secondsSinceReferenceDate(reference), 0.0);
    EXPECT_EQ(secondsSinceReferenceDate(Date{}), -978'307'200.0);
    EXPECT_EQ(secondsSinceReferenceDate(reference + std::chrono::milliseconds(1500)), 1.5);
    EXPECT_EQ(dateFromSecondsSinceReferenceDate(-0.25), reference - std::chrono::milliseconds(250));

    // A number read from a file and written again stays the same number.
    for (const double seconds : {786'297'600.123456, 0.1, -1.0e-9, 3.0e9, -3.0e8, 1.0e-7}) {
        const auto date = dateFromSecondsSinceReferenceDate(seconds);
        ASSERT_TRUE(date) << seconds;
        const double again = secondsSinceReferenceDate(*date);
        EXPECT_EQ(secondsSinceReferenceDate(*dateFromSecondsSinceReferenceDate(again)), again) << seconds;
        EXPECT_NEAR(again, seconds, 1e-9 + std::fabs(seconds) * 1e-15) << seconds;
    }
    // A wall-clock instant survives within well under a microsecond.
    const auto now = std::chrono::system_clock::now();
    const auto back = dateFromSecondsSinceReferenceDate(secondsSinceReferenceDate(now));
    ASSERT_TRUE(back);
    EXPECT_LT(std::chrono::abs(*back - now), std::chrono::microseconds(1));

    for (const double bad : {kNaN, kInf, -kInf, 1e300, -1e300, 1e11, 9.3e9, -1.03e10}) {
        EXPECT_FALSE(dateFromSecondsSinceReferenceDate(bad)) << bad;
    }
}

// ---- Round trips ----

template <class T>
void expectRoundTrip(const T& value) {
    std::string error;
    const auto encoded = toJson(value, &error);
    ASSERT_TRUE(encoded) << error;
    const auto fromOrdered = fromJson<T>(*encoded, &error);
    ASSERT_TRUE(fromOrdered) << error;
    EXPECT_TRUE(*fromOrdered == value);
    const json plain = json::parse(encoded->dump());
    const auto fromPlain = fromJson<T>(plain, &error);
    ASSERT_TRUE(fromPlain) << error;
    EXPECT_TRUE(*fromPlain == value);
    for (const auto& text : {toPrettyJsonText(value), toCompactJsonText(value)}) {
        ASSERT_TRUE(text);
        const auto fromText = fromJsonText<T>(*text, &error);
        ASSERT_TRUE(fromText) << error;
        EXPECT_TRUE(*fromText == value);
        EXPECT_EQ(toCompactJsonText(*fromText), encoded->dump()) << "the same text again";
    }
}

TEST(ModelJson, EveryTypeRoundTrips) {
    expectRoundTrip(ClickConfig{kStart});
    expectRoundTrip(sampleConfig());
    expectRoundTrip(sampleRecord());
    expectRoundTrip(samplePreset());
    expectRoundTrip(sampleHistory());
    expectRoundTrip(std::vector<ClickConfig>{});
    expectRoundTrip(std::vector<ClickRecord>{sampleRecord(), ClickRecord({0, 0}, ClickType::scrollUp, kStop, 0.0)});
    expectRoundTrip(std::vector<ClickPreset>{samplePreset(), ClickPreset("", ClickConfig{kStop}, false, kStart)});
    expectRoundTrip(std::vector<HistoryRecord>{sampleHistory(), sampleHistory()});
}

TEST(ModelJson, DecodedValuesKeepTheirStoredIdentifiers) {
    const auto text = R"({"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","point":[1,2],"clickType":"Scroll Up",
                          "timestamp":-12.5,"delaySinceStart":3,"unknown":"ignored"})";
    std::string error;
    const auto record = fromJsonText<ClickRecord>(text, &error);
    ASSERT_TRUE(record) << error;
    EXPECT_EQ(record->id, kId);
    EXPECT_EQ(record->clickType, ClickType::scrollUp) << "any of the nine click types";
    EXPECT_EQ(record->point, (ScreenPoint{1, 2}));
    EXPECT_EQ(record->delaySinceStart, 3.0);
    EXPECT_EQ(toJson(*record)->at("id"), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");

    const ClickPreset a("Same", ClickConfig{kStart}, false, kStart);
    const ClickPreset b("Same", ClickConfig{kStart}, false, kStart);
    EXPECT_NE(a, b) << "fresh identifiers differ";
}

// ---- Strict decoding ----

struct DecodeCase {
    const char* name;
    std::function<void(json&)> mutate;
    const char* expectedError;  // empty: must decode
};
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class ConfigDecoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(ConfigDecoding, AcceptsOnlyTheExactForm) {
    json j = json::parse(toJson(sampleConfig())->dump());
    GetParam().mutate(j);
    std::string error;
    const auto decoded = fromJson<ClickConfig>(j, &error);
    const std::string expected = GetParam().expectedError;
    if (expected.empty()) {
        EXPECT_TRUE(decoded) << error;
    } else {
        EXPECT_FALSE(decoded);
        EXPECT_EQ(error, expected);
        // The same failure through the text form.
        std::string textError;
        EXPECT_FALSE(fromJsonText<ClickConfig>(j.dump(), &textError));
        EXPECT_EQ(textError, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConfigDecoding,
    ::testing::Values(
        DecodeCase{"Unchanged", [](json&) {}, ""},
        DecodeCase{"ExtraKeyIgnored", [](json& j) { j["comment"] = "x"; }, ""},
        DecodeCase{"IntegerForFloat", [](json& j) { j["soundVolume"] = 1; }, ""},
        DecodeCase{"IntegerCoordinates", [](json& j) { j["dragStartPoint"] = {3, -4}; }, ""},
        DecodeCase{"EmptyCoordinateList", [](json& j) { j["fixedCoordinates"] = json::array(); }, ""},
        DecodeCase{"SmallestInteger", [](json& j) { j["maxClicks"] = json::parse("-9223372036854775808"); }, ""},
        DecodeCase{"MissingNotify", [](json& j) { j.erase("notifyOnComplete"); }, "notifyOnComplete: missing key"},
        DecodeCase{"NullIsNotMissingButWrong", [](json& j) { j["maxClicks"] = nullptr; },
                   "maxClicks: expected an integer"},
        DecodeCase{"ClickTypeLowerCase", [](json& j) { j["clickType"] = "double click"; },
                   "clickType: \"double click\" is not a click type (texts match exactly)"},
        DecodeCase{"ClickTypeCaseName", [](json& j) { j["clickType"] = "doubleClick"; },
                   "clickType: \"doubleClick\" is not a click type (texts match exactly)"},
        DecodeCase{"PositionModeCase", [](json& j) { j["positionMode"] = "fixed position"; },
                   "positionMode: \"fixed position\" is not a position mode (texts match exactly)"},
        DecodeCase{"OrderCase", [](json& j) { j["coordinatesOrder"] = "Random order"; },
                   "coordinatesOrder: \"Random order\" is not a coordinates order (texts match exactly)"},
        DecodeCase{"EnumAsNumber", [](json& j) { j["clickType"] = 3; }, "clickType: expected a string"},
        DecodeCase{"IntegerAsString", [](json& j) { j["intervalSeconds"] = "1"; },
                   "intervalSeconds: expected an integer"},
        DecodeCase{"IntegerAsFraction", [](json& j) { j["intervalSeconds"] = 1.5; },
                   "intervalSeconds: expected an integer"},
        DecodeCase{"IntegerAsBoolean", [](json& j) { j["intervalHours"] = true; },
                   "intervalHours: expected an integer"},
        DecodeCase{"TwoToThe64", [](json& j) { j["maxClicks"] = json::parse("18446744073709551616"); },
                   "maxClicks: integer does not fit in 64 bits"},
        DecodeCase{"UnsignedMaximum", [](json& j) { j["maxClicks"] = json::parse("18446744073709551615"); },
                   "maxClicks: integer does not fit in 64 bits"},
        DecodeCase{"TwoToThe63", [](json& j) { j["intervalHours"] = json::parse("9223372036854775808"); },
                   "intervalHours: integer does not fit in 64 bits"},
        DecodeCase{"BelowSmallest", [](json& j) { j["intervalHours"] = json::parse("-9223372036854775809"); },
                   "intervalHours: integer does not fit in 64 bits"},
        DecodeCase{"BooleanAsNumber", [](json& j) { j["randomizeInterval"] = 1; },
                   "randomizeInterval: expected true or false"},
        DecodeCase{"NumberAsString", [](json& j) { j["intervalRandomRangeMs"] = "50"; },
                   "intervalRandomRangeMs: expected a number"},
        DecodeCase{"TextAsNumber", [](json& j) { j["clickSoundName"] = 5; }, "clickSoundName: expected a string"},
        DecodeCase{"ShortPointInList", [](json& j) { j["fixedCoordinates"][2] = {3}; },
                   "fixedCoordinates[2]: expected an array of two numbers"},
        DecodeCase{"LongPointInList", [](json& j) { j["fixedCoordinates"][0] = {1, 2, 3}; },
                   "fixedCoordinates[0]: expected an array of two numbers"},
        DecodeCase{"PointWithText", [](json& j) { j["fixedCoordinates"][1] = {1, "2"}; },
                   "fixedCoordinates[1]: expected an array of two numbers"},
        DecodeCase{"PointAsObject", [](json& j) { j["dragStartPoint"] = {{"x", 1}, {"y", 2}}; },
                   "dragStartPoint: expected an array of two numbers"},
        DecodeCase{"PointNull", [](json& j) { j["dragEndPoint"] = nullptr; },
                   "dragEndPoint: expected an array of two numbers"},
        DecodeCase{"CoordinatesNotList", [](json& j) { j["fixedCoordinates"] = {1, 2}; },
                   "fixedCoordinates[0]: expected an array of two numbers"},
        DecodeCase{"CoordinatesAsObject", [](json& j) { j["fixedCoordinates"] = json::object(); },
                   "fixedCoordinates: expected an array of points"},
        DecodeCase{"DateAsText", [](json& j) { j["scheduledStartTime"] = "2025-01-01T00:00:00Z"; },
                   "scheduledStartTime: expected a number of seconds since 2001-01-01"},
        DecodeCase{"DateOutOfRange", [](json& j) { j["scheduledStopTime"] = 1e300; },
                   "scheduledStopTime: date out of range"},
        DecodeCase{"FirstBadKeyIsNamed",
                   [](json& j) {
                       j.erase("notifyOnComplete");
                       j["intervalHours"] = "x";
                   },
                   "intervalHours: expected an integer"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ModelJson, EveryConfigKeyIsRequired) {
    const json full = json::parse(toJson(sampleConfig())->dump());
    ASSERT_EQ(full.size(), 27u);
    for (const auto& item : full.items()) {
        json j = full;
        j.erase(item.key());
        std::string error;
        EXPECT_FALSE(fromJson<ClickConfig>(j, &error)) << item.key();
        EXPECT_EQ(error, item.key() + ": missing key");
    }
}

// Decodes `T` from the encoded `sample` after `mutate`; the error, or nothing when it decoded.
template <class T, class Mutate>
std::optional<std::string> decodeAfter(const T& sample, Mutate mutate) {
    json j = json::parse(toJson(sample)->dump());
    mutate(j);
    std::string error;
    if (fromJson<T>(j, &error)) return std::nullopt;
    return error;
}

TEST(ModelJson, RecordDecodingNamesTheBadKey) {
    const std::string uuidHint = R"(expected a UUID text such as "E621E1F8-C36C-495A-93FC-0C247A3E6E5F")";
    const auto record = [](auto mutate) { return [=] { return decodeAfter(sampleRecord(), mutate); }; };
    const auto preset = [](auto mutate) { return [=] { return decodeAfter(samplePreset(), mutate); }; };
    const auto history = [](auto mutate) { return [=] { return decodeAfter(sampleHistory(), mutate); }; };
    const std::vector<std::pair<std::function<std::optional<std::string>()>, std::string>> cases{
        {record([](json& r) { r["id"] = "not-a-uuid"; }), "id: " + uuidHint},
        {record([](json& r) { r["id"] = "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}"; }), "id: " + uuidHint},
        {record([](json& r) { r["id"] = "E621E1F8-C36C-495A-93FC-0C247A3E6E5"; }), "id: " + uuidHint},
        {record([](json& r) { r["id"] = 7; }), "id: expected a string"},
        {record([](json& r) { r.erase("id"); }), "id: missing key"},
        {record([](json& r) { r["point"] = {1}; }), "point: expected an array of two numbers"},
        {record([](json& r) { r["clickType"] = "left click"; }),
         "clickType: \"left click\" is not a click type (texts match exactly)"},
        {record([](json& r) { r["delaySinceStart"] = "1"; }), "delaySinceStart: expected a number"},
        {record([](json& r) { r.erase("timestamp"); }), "timestamp: missing key"},
        {history([](json& h) { h.erase("averageIntervalMs"); }), "averageIntervalMs: missing key"},
        {history([](json& h) { h["totalClicks"] = json::parse("18446744073709551616"); }),
         "totalClicks: integer does not fit in 64 bits"},
        {history([](json& h) { h["totalClicks"] = 12.0; }), "totalClicks: expected an integer"},
        {history([](json& h) { h["date"] = nullptr; }), "date: expected a number of seconds since 2001-01-01"},
        {preset([](json& p) { p["config"].erase("notifyOnComplete"); }), "config.notifyOnComplete: missing key"},
        {preset([](json& p) { p["config"]["fixedCoordinates"][1] = json::array(); }),
         "config.fixedCoordinates[1]: expected an array of two numbers"},
        {preset([](json& p) { p["config"] = json::array(); }), "config: expected an object"},
        {preset([](json& p) { p["isFavorite"] = "true"; }), "isFavorite: expected true or false"},
        {preset([](json& p) { p["name"] = nullptr; }), "name: expected a string"},
        {preset([](json& p) { p.erase("createdAt"); }), "createdAt: missing key"},
    };
    for (const auto& [run, expected] : cases) {
        const auto error = run();
        ASSERT_TRUE(error) << "decoded although " << expected;
        EXPECT_EQ(*error, expected);
    }
}

TEST(ModelJson, AListFailsWholeWhenOneElementFails) {
    json list = json::parse(toJson(std::vector<ClickPreset>{samplePreset(), samplePreset(), samplePreset()})->dump());
    ASSERT_TRUE(fromJson<std::vector<ClickPreset>>(list));
    list[1]["config"]["clickType"] = "Triple Click";
    std::string error;
    EXPECT_FALSE(fromJson<std::vector<ClickPreset>>(list, &error));
    EXPECT_EQ(error, "[1].config.clickType: \"Triple Click\" is not a click type (texts match exactly)");

    json history = json::parse(toJson(std::vector<HistoryRecord>{sampleHistory(), sampleHistory()})->dump());
    history[1].erase("clickType");
    EXPECT_FALSE(fromJson<std::vector<HistoryRecord>>(history, &error));
    EXPECT_EQ(error, "[1].clickType: missing key");

    EXPECT_FALSE(fromJson<std::vector<ClickRecord>>(json::object(), &error));
    EXPECT_EQ(error, "expected an array");
    EXPECT_FALSE(fromJson<ClickConfig>(json::array(), &error));
    EXPECT_EQ(error, "expected an object");
}

TEST(ModelJson, TextThatIsNotJsonFailsWithoutThrowing) {
    std::string nested(100'000, '[');
    const std::vector<std::string> inputs{"",         "{",
                                          "[1,2",     "{\"a\":}",
                                          "nul",      "1e400",
                                          "\"\xFF\"", "{} trailing",
                                          nested,     std::string(1, '\0'),
                                          "[{}]",     "null",
                                          "17",       nested + std::string(100'000, ']')};
    for (const auto& text : inputs) {
        std::string error;
        EXPECT_FALSE(fromJsonText<ClickConfig>(text, &error));
        EXPECT_FALSE(fromJsonText<std::vector<ClickPreset>>(text, &error));
        EXPECT_FALSE(error.empty());
    }
    std::string error;
    EXPECT_FALSE(fromJsonText<HistoryRecord>("{", &error));
    EXPECT_EQ(error.rfind("not valid JSON: ", 0), 0u) << error;
}

// ---- Encoding failures ----

TEST(ModelJson, EncodingFailsOnNonFiniteNumbersNamingTheField) {
    struct Case {
        std::function<void(ClickConfig&)> mutate;
        const char* expected;
    };
    const std::string reason = ": not a finite number (JSON has no form for NaN or infinity)";
    const std::vector<Case> cases{
        {[](ClickConfig& c) { c.intervalRandomRangeMs = kNaN; }, "intervalRandomRangeMs"},
        {[](ClickConfig& c) { c.randomRadius = kInf; }, "randomRadius"},
        {[](ClickConfig& c) { c.dragDuration = -kInf; }, "dragDuration"},
        {[](ClickConfig& c) { c.soundVolume = kNaN; }, "soundVolume"},
        {[](ClickConfig& c) { c.fixedCoordinates[2].x = kNaN; }, "fixedCoordinates[2][0]"},
        {[](ClickConfig& c) { c.dragStartPoint.y = kInf; }, "dragStartPoint[1]"},
        {[](ClickConfig& c) { c.dragEndPoint.x = -kInf; }, "dragEndPoint[0]"},
    };
    for (const auto& c : cases) {
        ClickConfig config = sampleConfig();
        c.mutate(config);
        std::string error;
        EXPECT_FALSE(toJson(config, &error));
        EXPECT_EQ(error, c.expected + reason);
        EXPECT_FALSE(toPrettyJsonText(config));

        ClickPreset preset = samplePreset();
        preset.config = config;
        EXPECT_FALSE(toJson(std::vector<ClickPreset>{samplePreset(), preset}, &error));
        EXPECT_EQ(error, std::string("[1].config.") + c.expected + reason);
    }

    std::string error;
    ClickRecord record = sampleRecord();
    record.delaySinceStart = kNaN;
    EXPECT_FALSE(toJson(record, &error));
    EXPECT_EQ(error, "delaySinceStart" + reason);
    record = sampleRecord();
    record.point.y = kInf;
    EXPECT_FALSE(toCompactJsonText(std::vector<ClickRecord>{record}, &error));
    EXPECT_EQ(error, "[0].point[1]" + reason);
    HistoryRecord history = sampleHistory();
    history.averageIntervalMs = kInf;
    EXPECT_FALSE(toJson(history, &error));
    EXPECT_EQ(error, "averageIntervalMs" + reason);
    history = sampleHistory();
    history.duration = kNaN;
    EXPECT_FALSE(toJson(history, &error));
    EXPECT_EQ(error, "duration" + reason);
}

TEST(ModelJson, EncodingFailsOnTextThatIsNotUtf8) {
    std::string error;
    ClickPreset preset = samplePreset();
    for (const char* bad : {"\xFF", "abc\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        preset.name = bad;
        EXPECT_FALSE(toJson(preset, &error));
        EXPECT_EQ(error, "name: not valid UTF-8 text");
    }
    preset.name = "ok";
    preset.config.clickSoundName = "\x80";
    EXPECT_FALSE(toPrettyJsonText(preset, &error));
    EXPECT_EQ(error, "config.clickSoundName: not valid UTF-8 text");
    preset.config.clickSoundName = std::string("Ti\0nk \xF0\x9F\x94\x8A", 10);
    EXPECT_TRUE(toPrettyJsonText(preset, &error)) << error;
}
