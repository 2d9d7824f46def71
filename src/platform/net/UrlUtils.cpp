#include "platform/net/UrlUtils.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/net/CurlLibrary.h"

namespace UrlUtils {
namespace {

struct CurlUrlDeleter {
    void operator()(CURLU* handle) const { Curl().urlCleanup(handle); }
};
using CurlUrl = std::unique_ptr<CURLU, CurlUrlDeleter>;

bool IsUnsafe(unsigned char byte) {
    if (byte <= 0x20 || byte >= 0x7F) {
        return true;
    }
    switch (byte) {
        case '"':
        case '<':
        case '>':
        case '\\':
        case '^':
        case '`':
        case '{':
        case '|':
        case '}':
            return true;
        default:
            return false;
    }
}

std::string EncodeUnsafe(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (unsigned char byte : text) {
        if (IsUnsafe(byte)) {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        } else {
            encoded += static_cast<char>(byte);
        }
    }
    return encoded;
}

// The address parsed by libcurl, schemes it cannot fetch itself included; nullptr when it is
// not an absolute address.
CurlUrl ParseAbsolute(const std::string& url) {
    // A NUL byte inside the text would cut it short for the C parser.
    if (url.empty() || url.find('\0') != std::string::npos) {
        return nullptr;
    }
    const CurlApi& api = Curl();
    if (!api.error.empty()) {
        return nullptr;
    }
    CurlUrl handle(api.url());
    if (!handle) {
        return nullptr;
    }
    std::string encoded = EncodeUnsafe(url);
    if (api.urlSet(handle.get(), CURLUPART_URL, encoded.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
        CURLUE_OK) {
        return nullptr;
    }
    return handle;
}

std::optional<std::string> GetPart(CURLU* handle, CURLUPart part, unsigned flags = 0) {
    const CurlApi& api = Curl();
    char* value = nullptr;
    if (api.urlGet(handle, part, &value, flags) != CURLUE_OK || value == nullptr) {
        return std::nullopt;
    }
    std::string text(value);
    api.freeText(value);
    return text;
}

}  // namespace

std::optional<std::string> Canonicalize(const std::string& url, std::size_t bufferSize) {
    CurlUrl handle = ParseAbsolute(url);
    if (!handle) {
        return std::nullopt;
    }
    std::optional<std::string> canonical = GetPart(handle.get(), CURLUPART_URL);
    if (!canonical || canonical->size() + 1 > bufferSize) {
        return std::nullopt;
    }
    return canonical;
}

std::optional<Url> Parse(const std::string& url) {
    CurlUrl handle = ParseAbsolute(url);
    if (!handle) {
        return std::nullopt;
    }
    Url parts;
    parts.scheme = GetPart(handle.get(), CURLUPART_SCHEME).value_or("");
    parts.user = GetPart(handle.get(), CURLUPART_USER).value_or("");
    parts.password = GetPart(handle.get(), CURLUPART_PASSWORD).value_or("");
    parts.host = GetPart(handle.get(), CURLUPART_HOST).value_or("");
    if (auto port = GetPart(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT)) {
        parts.port = std::atoi(port->c_str());
    }
    parts.object = GetPart(handle.get(), CURLUPART_PATH).value_or("/");
    if (auto query = GetPart(handle.get(), CURLUPART_QUERY)) {
        parts.object += "?" + *query;
    }
    parts.fragment = GetPart(handle.get(), CURLUPART_FRAGMENT).value_or("");
    return parts;
}

bool PathIsURL(const std::string& text) {
    return ParseAbsolute(text) != nullptr;
}

bool IsWebAddress(const std::string& text) {
    // The parser fills in what is missing; the text itself must already say "scheme://host".
    const std::size_t colon = text.find("://");
    if (colon == std::string::npos) {
        return false;
    }
    std::string scheme = text.substr(0, colon);
    for (char& c : scheme) {
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    const std::size_t hostStart = colon + 3;
    if ((scheme != "http" && scheme != "https") || hostStart >= text.size() ||
        std::string_view("/\\?#").find(text[hostStart]) != std::string_view::npos) {
        return false;
    }
    std::optional<Url> url = Parse(text);
    return url && url->scheme == scheme && !url->host.empty() &&
           Canonicalize(text, kMaxUrlBuffer).has_value();
}

}  // namespace UrlUtils
