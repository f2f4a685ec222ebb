#include "analytics/sha256.hpp"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>

namespace clicktrove::analytics {

std::string sha256Hex(std::string_view text, std::string_view salt) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1 ||
        EVP_DigestUpdate(ctx.get(), text.data(), text.size()) != 1 ||
        EVP_DigestUpdate(ctx.get(), salt.data(), salt.size()) != 1 ||
        EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1) {
        return {};
    }
    std::string hex;
    hex.reserve(length * 2);
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex.append(pair, 2);
    }
    return hex;
}

}  // namespace clicktrove::analytics
