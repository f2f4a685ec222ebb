#import "analytics/objc/runtime_values.h"

namespace clicktrove::analytics::objc {

std::optional<std::string> stringValue(NSString* text) {
    if (text == nil) return std::nullopt;
    const char* utf8 = [text UTF8String];
    return utf8 ? std::string(utf8) : std::string();
}

std::map<std::string, std::string> parameterMap(NSDictionary* parameters) {
    std::map<std::string, std::string> map;
    NSEnumerator* keys = [parameters keyEnumerator];
    for (id key = [keys nextObject]; key != nil; key = [keys nextObject]) {
        const auto k = stringValue([key description]);
        const auto v = stringValue([[parameters objectForKey:key] description]);
        map[k.value_or("")] = v.value_or("");
    }
    return map;
}

std::optional<std::string> urlText(NSURL* url) {
    if (url == nil) return std::nullopt;
    return stringValue([url absoluteString]);
}

}  // namespace clicktrove::analytics::objc
