#include "services/FormPoster.h"

#include <cctype>

#include "app/Trace.h"
#include "platform/net/UrlUtils.h"
#include "services/AuxThread.h"

namespace {

bool KeptAsIs(unsigned char c) {
    if (std::isalnum(c) != 0) {
        return true;
    }
    switch (c) {
        case '-':
        case '.':
        case '_':
        case '~':
        case '!':
        case '$':
        case '\'':
        case '(':
        case ')':
        case '*':
        case ',':
        case ';':
        case ':':
        case '@':
        case '/':
        case '?':
            return true;
        default:
            return false;
    }
}

// Only a plain http address is posted to; anything else fails before any traffic.
bool IsHttpAddress(const std::string& address) {
    std::optional<UrlUtils::Url> url = UrlUtils::Parse(address);
    return url && url->scheme == "http";
}

}  // namespace

FormPoster::FormPoster(Http::Options options) : options_(std::move(options)) {}

Http::Options FormPoster::DefaultOptions() {
    Http::Options options;
    options.userAgent = Http::DefaultUserAgent();
    options.maxBodySize = 64 * 1024;
    return options;
}

std::size_t FormPoster::EncodedSize(const std::string& value) {
    std::size_t size = 0;
    for (unsigned char c : value) {
        size += KeptAsIs(c) ? 1 : 3;
    }
    return size;
}

std::optional<std::string> FormPoster::EncodeValue(const std::string& value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    if (EncodedSize(value) > kMaxEncodedValue) {
        Trace("Unable to canonicalize string '" + value + "'");
        return std::nullopt;
    }
    std::string encoded;
    encoded.reserve(value.size());
    for (unsigned char c : value) {
        if (KeptAsIs(c)) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

std::optional<std::string> FormPoster::BuildBody(const Fields& fields) {
    std::string body;
    for (const auto& [key, value] : fields) {
        std::optional<std::string> encoded = EncodeValue(value);
        if (!encoded) {
            return std::nullopt;
        }
        if (!body.empty()) {
            body += '&';
        }
        body += key;
        body += '=';
        body += *encoded;
    }
    return body;
}

bool FormPoster::Send(const std::string& address, const Fields& fields) const {
    const std::optional<std::string> body = BuildBody(fields);
    if (address.empty()) {
        Trace("Registration url is empty");
        return false;
    }
    if (!body || !IsHttpAddress(address)) {
        return false;
    }
    Http::Options options = options_;
    if (options.cancel == nullptr) {
        options.cancel = AuxThread::StopFlag();
    }
    Http::Result result = Http::Post(address, kContentType, *body, options);
    if (!result.completed) {
        Trace("Registrator: Internet connection error: " + result.error.substr(0, 255));
        return false;
    }
    return result.status == 200;
}
