#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace clicktrove::crash {

// The address of a project at the crash-reporting service: "{scheme}://{public key}@{host}{path}/{project}".
class SentryDsn {
public:
    // Nothing unless the text has that form with a scheme of http or https, a public key of hexadecimal digits,
    // a host and a numeric project identifier. (A build's own DSN is held to the stricter form of an https
    // address and a 32-digit key when CMake configures it.)
    static std::optional<SentryDsn> parse(std::string_view text);

    const std::string& text() const { return text_; }
    const std::string& publicKey() const { return publicKey_; }
    const std::string& projectId() const { return projectId_; }
    // "{scheme}://{host}{path}/api/{project}/envelope/"
    std::string envelopeUrl() const;
    // The value of the X-Sentry-Auth header for this project.
    std::string authHeader(std::string_view clientName) const;

private:
    std::string text_;
    std::string scheme_;
    std::string publicKey_;
    std::string host_;
    std::string path_;
    std::string projectId_;
};

}  // namespace clicktrove::crash
