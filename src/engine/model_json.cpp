#include "engine/model_json.hpp"

#include "platform/bounded_json.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <type_traits>

namespace clicktrove {

namespace {

// Where a value sits inside the document, kept as a chain on the stack and only rendered for a message.
struct Path {
    const Path* parent = nullptr;
    std::string_view key;
    std::size_t index = 0;
    bool isIndex = false;

    Path child(std::string_view name) const { return Path{this, name, 0, false}; }
    Path element(std::size_t i) const { return Path{this, {}, i, true}; }

    std::string render() const {
        std::string out = parent ? parent->render() : std::string{};
        if (isIndex) {
            out += '[' + std::to_string(index) + ']';
        } else if (!key.empty()) {
            if (!out.empty()) out += '.';
            out += key;
        }
        return out;
    }
};

// Thrown inside this file only; every public function turns it into a message.
struct ModelJsonFailure {
    std::string message;
};

[[noreturn]] void fail(const Path& path, std::string_view reason) {
    std::string where = path.render();
    throw ModelJsonFailure{where.empty() ? std::string(reason) : where + ": " + std::string(reason)};
}

// ---- Encoding ----

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        std::uint32_t point = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            length = 2;
            point = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            point = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            point = c & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            point = (point << 6) | (next & 0x3F);
        }
        constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (point < kSmallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

nlohmann::ordered_json number(double value, const Path& path) {
    if (!std::isfinite(value)) fail(path, "not a finite number (JSON has no form for NaN or infinity)");
    return value;
}

nlohmann::ordered_json text(const std::string& value, const Path& path) {
    if (!isValidUtf8(value)) fail(path, "not valid UTF-8 text");
    return value;
}

nlohmann::ordered_json point(const ScreenPoint& value, const Path& path) {
    return nlohmann::ordered_json::array({number(value.x, path.element(0)), number(value.y, path.element(1))});
}

nlohmann::ordered_json date(Date value) {
    return secondsSinceReferenceDate(value);
}

nlohmann::ordered_json encode(const ClickConfig& c, const Path& path) {
    auto points = nlohmann::ordered_json::array();
    const Path coordinatesPath = path.child("fixedCoordinates");
    for (std::size_t i = 0; i < c.fixedCoordinates.size(); ++i) {
        points.push_back(point(c.fixedCoordinates[i], coordinatesPath.element(i)));
    }
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    j["intervalHours"] = c.intervalHours;
    j["intervalMinutes"] = c.intervalMinutes;
    j["intervalSeconds"] = c.intervalSeconds;
    j["intervalMilliseconds"] = c.intervalMilliseconds;
    j["intervalMicroseconds"] = c.intervalMicroseconds;
    j["maxClicks"] = c.maxClicks;
    j["clickType"] = displayText(c.clickType);
    j["positionMode"] = displayText(c.positionMode);
    j["fixedCoordinates"] = std::move(points);
    j["coordinatesOrder"] = displayText(c.coordinatesOrder);
    j["randomizeInterval"] = c.randomizeInterval;
    j["intervalRandomRangeMs"] = number(c.intervalRandomRangeMs, path.child("intervalRandomRangeMs"));
    j["randomizeRadius"] = c.randomizeRadius;
    j["randomRadius"] = number(c.randomRadius, path.child("randomRadius"));
    j["isDragEnabled"] = c.isDragEnabled;
    j["dragStartPoint"] = point(c.dragStartPoint, path.child("dragStartPoint"));
    j["dragEndPoint"] = point(c.dragEndPoint, path.child("dragEndPoint"));
    j["dragDuration"] = number(c.dragDuration, path.child("dragDuration"));
    j["scheduledStartEnabled"] = c.scheduledStartEnabled;
    j["scheduledStartTime"] = date(c.scheduledStartTime);
    j["scheduledStopEnabled"] = c.scheduledStopEnabled;
    j["scheduledStopTime"] = date(c.scheduledStopTime);
    j["edgeStopEnabled"] = c.edgeStopEnabled;
    j["playClickSound"] = c.playClickSound;
    j["clickSoundName"] = text(c.clickSoundName, path.child("clickSoundName"));
    j["soundVolume"] = number(c.soundVolume, path.child("soundVolume"));
    j["notifyOnComplete"] = c.notifyOnComplete;
    return j;
}

nlohmann::ordered_json encode(const ClickRecord& r, const Path& path) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    j["id"] = r.id.text();
    j["point"] = point(r.point, path.child("point"));
    j["clickType"] = displayText(r.clickType);
    j["timestamp"] = date(r.timestamp);
    j["delaySinceStart"] = number(r.delaySinceStart, path.child("delaySinceStart"));
    return j;
}

nlohmann::ordered_json encode(const ClickPreset& p, const Path& path) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    j["id"] = p.id.text();
    j["name"] = text(p.name, path.child("name"));
    j["config"] = encode(p.config, path.child("config"));
    j["isFavorite"] = p.isFavorite;
    j["createdAt"] = date(p.createdAt);
    return j;
}

nlohmann::ordered_json encode(const HistoryRecord& h, const Path& path) {
    nlohmann::ordered_json j = nlohmann::ordered_json::object();
    j["id"] = h.id.text();
    j["date"] = date(h.date);
    j["totalClicks"] = h.totalClicks;
    j["duration"] = number(h.duration, path.child("duration"));
    j["clickType"] = displayText(h.clickType);
    j["averageIntervalMs"] = number(h.averageIntervalMs, path.child("averageIntervalMs"));
    return j;
}

template <class T>
nlohmann::ordered_json encode(const std::vector<T>& values, const Path& path) {
    auto j = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < values.size(); ++i) j.push_back(encode(values[i], path.element(i)));
    return j;
}

template <class T>
std::optional<nlohmann::ordered_json> encodeTop(const T& value, std::string* error) {
    try {
        return encode(value, Path{});
    } catch (const ModelJsonFailure& failure) {
        if (error) *error = failure.message;
    } catch (const std::exception& e) {  // allocation failure and the like
        if (error) *error = e.what();
    }
    return std::nullopt;
}

// ---- Decoding ----

template <class Json>
std::int64_t readInteger(const Json& j, const Path& path) {
    if (j.is_number_unsigned()) {
        const auto value = j.template get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            fail(path, "integer does not fit in 64 bits");
        }
        return static_cast<std::int64_t>(value);
    }
    if (j.is_number_integer()) return j.template get<std::int64_t>();
    if (j.is_number_float()) {
        // The parser keeps integers too large for 64 bits as floating point; name that case apart.
        const double value = j.template get<double>();
        if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) >= 9223372036854775808.0) {
            fail(path, "integer does not fit in 64 bits");
        }
    }
    fail(path, "expected an integer");
}

template <class Json>
double readDouble(const Json& j, const Path& path) {
    if (!j.is_number()) fail(path, "expected a number");
    const double value = j.template get<double>();
    if (!std::isfinite(value)) fail(path, "expected a finite number");
    return value;
}

template <class Json>
bool readBool(const Json& j, const Path& path) {
    if (!j.is_boolean()) fail(path, "expected true or false");
    return j.template get<bool>();
}

template <class Json>
const std::string& readString(const Json& j, const Path& path) {
    if (!j.is_string()) fail(path, "expected a string");
    return j.template get_ref<const std::string&>();
}

template <class Json>
ScreenPoint readPoint(const Json& j, const Path& path) {
    if (!j.is_array() || j.size() != 2 || !j[0].is_number() || !j[1].is_number()) {
        fail(path, "expected an array of two numbers");
    }
    return ScreenPoint{readDouble(j[0], path.element(0)), readDouble(j[1], path.element(1))};
}

template <class Json>
Date readDate(const Json& j, const Path& path) {
    if (!j.is_number()) fail(path, "expected a number of seconds since 2001-01-01");
    const auto value = dateFromSecondsSinceReferenceDate(j.template get<double>());
    if (!value) fail(path, "date out of range");
    return *value;
}

template <class Json>
Uuid readUuid(const Json& j, const Path& path) {
    const auto value = Uuid::parse(readString(j, path));
    if (!value) fail(path, "expected a UUID text such as \"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\"");
    return *value;
}

template <class Enum, class Json, class Parse>
Enum readEnum(const Json& j, const Path& path, Parse parse, std::string_view what) {
    const std::string& raw = readString(j, path);
    const auto value = parse(raw);
    if (!value) {
        const std::string shown = raw.size() > 40 ? raw.substr(0, 40) + "..." : raw;
        const auto quoted = nlohmann::json(shown).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
        fail(path, quoted + " is not " + std::string(what) + " (texts match exactly)");
    }
    return *value;
}

template <class T>
struct Tag {};

template <class Json, class T>
std::vector<T> decode(const Json& j, const Path& path, Tag<std::vector<T>>);

// Reads the members of one JSON object; each accessor fails with the member's path.
template <class Json>
class ObjectReader {
public:
    ObjectReader(const Json& j, const Path& path) : json_(j), path_(path) {
        if (!j.is_object()) fail(path, "expected an object");
    }

    std::int64_t integer(std::string_view key) const { return readInteger(at(key), path_.child(key)); }
    double number(std::string_view key) const { return readDouble(at(key), path_.child(key)); }
    bool boolean(std::string_view key) const { return readBool(at(key), path_.child(key)); }
    std::string string(std::string_view key) const { return readString(at(key), path_.child(key)); }
    ScreenPoint point(std::string_view key) const { return readPoint(at(key), path_.child(key)); }
    Date date(std::string_view key) const { return readDate(at(key), path_.child(key)); }
    Uuid uuid(std::string_view key) const { return readUuid(at(key), path_.child(key)); }
    ClickType clickType(std::string_view key) const {
        return readEnum<ClickType>(at(key), path_.child(key), clickTypeFromText, "a click type");
    }
    ClickPositionMode positionMode(std::string_view key) const {
        return readEnum<ClickPositionMode>(at(key), path_.child(key), clickPositionModeFromText, "a position mode");
    }
    CoordinatesOrder coordinatesOrder(std::string_view key) const {
        return readEnum<CoordinatesOrder>(at(key), path_.child(key), coordinatesOrderFromText, "a coordinates order");
    }
    std::vector<ScreenPoint> points(std::string_view key) const {
        const Json& list = at(key);
        const Path path = path_.child(key);
        if (!list.is_array()) fail(path, "expected an array of points");
        std::vector<ScreenPoint> out;
        out.reserve(list.size());
        for (std::size_t i = 0; i < list.size(); ++i) out.push_back(readPoint(list[i], path.element(i)));
        return out;
    }
    template <class T>
    T nested(std::string_view key) const {
        return decode(at(key), path_.child(key), Tag<T>{});
    }

private:
    const Json& at(std::string_view key) const {
        const auto it = json_.find(key);
        if (it == json_.end()) fail(path_.child(key), "missing key");
        return *it;
    }

    const Json& json_;
    const Path& path_;
};

// Members are read in declaration order, so the first bad key is the one reported.
template <class Json>
ClickConfig decode(const Json& j, const Path& path, Tag<ClickConfig>) {
    const ObjectReader<Json> in(j, path);
    ClickConfig c{Date{}};
    c.intervalHours = in.integer("intervalHours");
    c.intervalMinutes = in.integer("intervalMinutes");
    c.intervalSeconds = in.integer("intervalSeconds");
    c.intervalMilliseconds = in.integer("intervalMilliseconds");
    c.intervalMicroseconds = in.integer("intervalMicroseconds");
    c.maxClicks = in.integer("maxClicks");
    c.clickType = in.clickType("clickType");
    c.positionMode = in.positionMode("positionMode");
    c.fixedCoordinates = in.points("fixedCoordinates");
    c.coordinatesOrder = in.coordinatesOrder("coordinatesOrder");
    c.randomizeInterval = in.boolean("randomizeInterval");
    c.intervalRandomRangeMs = in.number("intervalRandomRangeMs");
    c.randomizeRadius = in.boolean("randomizeRadius");
    c.randomRadius = in.number("randomRadius");
    c.isDragEnabled = in.boolean("isDragEnabled");
    c.dragStartPoint = in.point("dragStartPoint");
    c.dragEndPoint = in.point("dragEndPoint");
    c.dragDuration = in.number("dragDuration");
    c.scheduledStartEnabled = in.boolean("scheduledStartEnabled");
    c.scheduledStartTime = in.date("scheduledStartTime");
    c.scheduledStopEnabled = in.boolean("scheduledStopEnabled");
    c.scheduledStopTime = in.date("scheduledStopTime");
    c.edgeStopEnabled = in.boolean("edgeStopEnabled");
    c.playClickSound = in.boolean("playClickSound");
    c.clickSoundName = in.string("clickSoundName");
    c.soundVolume = in.number("soundVolume");
    c.notifyOnComplete = in.boolean("notifyOnComplete");
    return c;
}

template <class Json>
ClickRecord decode(const Json& j, const Path& path, Tag<ClickRecord>) {
    const ObjectReader<Json> in(j, path);
    auto id = in.uuid("id");
    auto point = in.point("point");
    auto clickType = in.clickType("clickType");
    auto timestamp = in.date("timestamp");
    auto delay = in.number("delaySinceStart");
    return ClickRecord(id, point, clickType, timestamp, delay);
}

template <class Json>
ClickPreset decode(const Json& j, const Path& path, Tag<ClickPreset>) {
    const ObjectReader<Json> in(j, path);
    auto id = in.uuid("id");
    auto name = in.string("name");
    auto config = in.template nested<ClickConfig>("config");
    auto isFavorite = in.boolean("isFavorite");
    auto createdAt = in.date("createdAt");
    return ClickPreset(id, std::move(name), std::move(config), isFavorite, createdAt);
}

template <class Json>
HistoryRecord decode(const Json& j, const Path& path, Tag<HistoryRecord>) {
    const ObjectReader<Json> in(j, path);
    auto id = in.uuid("id");
    auto date = in.date("date");
    auto totalClicks = in.integer("totalClicks");
    auto duration = in.number("duration");
    auto clickType = in.clickType("clickType");
    auto averageIntervalMs = in.number("averageIntervalMs");
    return HistoryRecord(id, date, totalClicks, duration, clickType, averageIntervalMs);
}

template <class Json, class T>
std::vector<T> decode(const Json& j, const Path& path, Tag<std::vector<T>>) {
    if (!j.is_array()) fail(path, "expected an array");
    std::vector<T> out;
    out.reserve(j.size());
    for (std::size_t i = 0; i < j.size(); ++i) out.push_back(decode(j[i], path.element(i), Tag<T>{}));
    return out;
}

template <class T, class Json>
std::optional<T> decodeTop(const Json& json, std::string* error) {
    try {
        return decode(json, Path{}, Tag<T>{});
    } catch (const ModelJsonFailure& failure) {
        if (error) *error = failure.message;
    } catch (const std::exception& e) {  // allocation failure and the like
        if (error) *error = e.what();
    }
    return std::nullopt;
}

}  // namespace

std::optional<nlohmann::ordered_json> toJson(const ClickConfig& value, std::string* error) {
    return encodeTop(value, error);
}
std::optional<nlohmann::ordered_json> toJson(const ClickRecord& value, std::string* error) {
    return encodeTop(value, error);
}
std::optional<nlohmann::ordered_json> toJson(const ClickPreset& value, std::string* error) {
    return encodeTop(value, error);
}
std::optional<nlohmann::ordered_json> toJson(const HistoryRecord& value, std::string* error) {
    return encodeTop(value, error);
}
std::optional<nlohmann::ordered_json> toJson(const std::vector<ClickConfig>& values, std::string* error) {
    return encodeTop(values, error);
}
std::optional<nlohmann::ordered_json> toJson(const std::vector<ClickRecord>& values, std::string* error) {
    return encodeTop(values, error);
}
std::optional<nlohmann::ordered_json> toJson(const std::vector<ClickPreset>& values, std::string* error) {
    return encodeTop(values, error);
}
std::optional<nlohmann::ordered_json> toJson(const std::vector<HistoryRecord>& values, std::string* error) {
    return encodeTop(values, error);
}

template <class T>
std::optional<T> fromJson(const nlohmann::json& json, std::string* error) {
    return decodeTop<T>(json, error);
}

template <class T>
std::optional<T> fromJson(const nlohmann::ordered_json& json, std::string* error) {
    return decodeTop<T>(json, error);
}

template <class T>
std::optional<T> fromJsonText(std::string_view text, std::string* error) {
    const auto json = platform::parseBoundedJson(text, error);
    if (!json) return std::nullopt;
    return decodeTop<T>(*json, error);
}

#define CLICKTROVE_INSTANTIATE_DECODERS(T)                                              \
    template std::optional<T> fromJson<T>(const nlohmann::json&, std::string*);         \
    template std::optional<T> fromJson<T>(const nlohmann::ordered_json&, std::string*); \
    template std::optional<T> fromJsonText<T>(std::string_view, std::string*);

CLICKTROVE_INSTANTIATE_DECODERS(ClickConfig)
CLICKTROVE_INSTANTIATE_DECODERS(ClickRecord)
CLICKTROVE_INSTANTIATE_DECODERS(ClickPreset)
CLICKTROVE_INSTANTIATE_DECODERS(HistoryRecord)
CLICKTROVE_INSTANTIATE_DECODERS(std::vector<ClickConfig>)
CLICKTROVE_INSTANTIATE_DECODERS(std::vector<ClickRecord>)
CLICKTROVE_INSTANTIATE_DECODERS(std::vector<ClickPreset>)
CLICKTROVE_INSTANTIATE_DECODERS(std::vector<HistoryRecord>)

}  // namespace clicktrove
