#pragma once

#include "crash/sentry_dsn.hpp"
#include "platform/http_transport.hpp"

#include <nlohmann/json.hpp>

#include <chrono>
#include <string>
#include <vector>

namespace clicktrove::crash {

// The crash-reporting service's ingestion format: one line of envelope headers, then per item a line of item
// headers (its type and the payload's length in bytes) and the payload.
class SentryEnvelope {
public:
    explicit SentryEnvelope(nlohmann::json headers) : headers_(std::move(headers)) {}

    void addItem(const std::string& type, const nlohmann::json& payload);
    std::string serialize() const;
    // The POST that delivers the envelope to the DSN's project, authenticated with its public key.
    platform::HttpRequest request(const SentryDsn& dsn) const;

    // A fresh random identifier of the given number of bytes, as lower-case hex: 16 bytes for events and traces
    // (a version 4 UUID without dashes), 8 for spans.
    static std::string newId(std::size_t bytes);
    // RFC 3339 in UTC with milliseconds, the form of "sent_at".
    static std::string timestamp(std::chrono::system_clock::time_point when);
    // The identity this client reports in envelopes, events and its authentication header.
    static nlohmann::json sdk();
    static std::string clientName();

private:
    nlohmann::json headers_;
    std::vector<std::pair<std::string, std::string>> items_;  // type, payload
};

}  // namespace clicktrove::crash
