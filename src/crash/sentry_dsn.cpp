#include "crash/sentry_dsn.hpp"

namespace clicktrove::crash {

namespace {

bool allOf(std::string_view text, std::string_view characters) {
    return !text.empty() && text.find_first_not_of(characters) == std::string_view::npos;
}

}  // namespace

std::optional<SentryDsn> SentryDsn::parse(std::string_view text) {
    SentryDsn dsn;
    dsn.text_ = std::string(text);
    const auto schemeEnd = text.find("://");
    if (schemeEnd == std::string_view::npos) return std::nullopt;
    dsn.scheme_ = std::string(text.substr(0, schemeEnd));
    if (dsn.scheme_ != "https" && dsn.scheme_ != "http") return std::nullopt;
    std::string_view rest = text.substr(schemeEnd + 3);

    const auto at = rest.find('@');
    const auto firstSlash = rest.find('/');
    if (at == std::string_view::npos || (firstSlash != std::string_view::npos && firstSlash < at)) return std::nullopt;
    // An old-style "key:secret" is accepted; the secret is not needed for sending.
    std::string_view key = rest.substr(0, at);
    if (const auto colon = key.find(':'); colon != std::string_view::npos) key = key.substr(0, colon);
    if (!allOf(key, "0123456789abcdefABCDEF")) return std::nullopt;
    dsn.publicKey_ = std::string(key);
    rest = rest.substr(at + 1);

    const auto lastSlash = rest.rfind('/');
    if (lastSlash == std::string_view::npos) return std::nullopt;
    const std::string_view authority = rest.substr(0, rest.find('/'));
    if (authority.empty() || !allOf(authority, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]")) {
        return std::nullopt;
    }
    dsn.host_ = std::string(authority);
    dsn.path_ = std::string(rest.substr(authority.size(), lastSlash - authority.size()));
    const std::string_view project = rest.substr(lastSlash + 1);
    if (!allOf(project, "0123456789")) return std::nullopt;
    dsn.projectId_ = std::string(project);
    return dsn;
}

std::string SentryDsn::envelopeUrl() const {
    return scheme_ + "://" + host_ + path_ + "/api/" + projectId_ + "/envelope/";
}

std::string SentryDsn::authHeader(std::string_view clientName) const {
    return "Sentry sentry_version=7, sentry_client=" + std::string(clientName) + ", sentry_key=" + publicKey_;
}

}  // namespace clicktrove::crash
