#pragma once

#import <Foundation/Foundation.h>

#include <map>
#include <optional>
#include <string>

namespace clicktrove::analytics::objc {

// The runtime's values as the client's: nil is absent, text is UTF-8.
std::optional<std::string> stringValue(NSString* text);
// Keys and values by their description (a string is itself); nil is an empty map.
std::map<std::string, std::string> parameterMap(NSDictionary* parameters);
std::optional<std::string> urlText(NSURL* url);

}  // namespace clicktrove::analytics::objc
