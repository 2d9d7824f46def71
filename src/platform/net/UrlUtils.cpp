#include "platform/net/UrlUtils.h"

#include <arpa/inet.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace UrlUtils {
namespace {

// A scheme's name is at most this long.
constexpr std::size_t kMaxScheme = 40;
// Bytes that may not stand in a host name once its escapes are decoded.
constexpr std::string_view kNotInHost = " \r\n\t/:#?!@{}[]\\$'\"^`*<>=;,+&()%";

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

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

std::string EncodeUnsafe(std::string_view text) {
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

int HexValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    c = Lower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// The host with its escapes decoded; nullopt when one decodes to a control byte.
std::optional<std::string> DecodeHost(std::string_view host) {
    std::string decoded;
    for (std::size_t i = 0; i < host.size(); ++i) {
        if (host[i] == '%' && i + 2 < host.size() && HexValue(host[i + 1]) >= 0 &&
            HexValue(host[i + 2]) >= 0) {
            const int byte = HexValue(host[i + 1]) * 16 + HexValue(host[i + 2]);
            if (byte < 0x20 || byte == 0x7F) {
                return std::nullopt;
            }
            decoded += static_cast<char>(byte);
            i += 2;
        } else {
            decoded += host[i];
        }
    }
    return decoded;
}

// A host written as an IPv4 address in any of the forms resolvers take (one to four parts,
// each decimal, octal with a leading 0 or hexadecimal with 0x), in dotted decimal; nullopt when
// the host is no such address.
std::optional<std::string> NormalIpv4(const std::string& host) {
    std::array<unsigned long, 4> parts{};
    std::size_t count = 0;
    const char* c = host.c_str();
    while (true) {
        if (!IsDigit(*c) || count == parts.size()) {
            return std::nullopt;
        }
        char* end = nullptr;
        errno = 0;
        const unsigned long value = std::strtoul(c, &end, 0);
        if (errno == ERANGE || end == c || value > UINT32_MAX) {
            return std::nullopt;
        }
        parts[count++] = value;
        c = end;
        if (*c == '\0') {
            break;
        }
        if (*c != '.') {
            return std::nullopt;
        }
        ++c;
    }
    // The last part fills the bytes the others leave.
    std::uint32_t address = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        if (parts[i] > 0xFF) {
            return std::nullopt;
        }
        address |= static_cast<std::uint32_t>(parts[i]) << (24 - 8 * i);
    }
    const unsigned long last = parts[count - 1];
    if (count > 1 && last >> (8 * (5 - count)) != 0) {
        return std::nullopt;
    }
    address |= static_cast<std::uint32_t>(last);
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

// "[address]" in its shortest form, with its zone ("%25" and the zone's name) when it has one;
// nullopt when it is not an IPv6 address.
std::optional<std::string> NormalIpv6(std::string_view bracketed) {
    if (bracketed.size() < 4 || bracketed.back() != ']') {
        return std::nullopt;
    }
    std::string_view inside = bracketed.substr(1, bracketed.size() - 2);
    std::string zone;
    const std::size_t end = inside.find_first_not_of("0123456789abcdefABCDEF:.");
    if (end != std::string_view::npos) {
        // The zone's "%" is written "%25" in an address; a bare "%" is taken as well.
        std::string_view name = inside.substr(end);
        if (name[0] != '%') {
            return std::nullopt;
        }
        name.remove_prefix(name.substr(1, 2) == "25" && name.size() > 3 ? 3 : 1);
        if (name.empty() || name.size() > 15) {
            return std::nullopt;
        }
        zone = "%25" + std::string(name);
        inside = inside.substr(0, end);
    }
    const std::string text(inside);
    unsigned char binary[16];
    char shortest[INET6_ADDRSTRLEN];
    if (inet_pton(AF_INET6, text.c_str(), binary) != 1 ||
        inet_ntop(AF_INET6, binary, shortest, sizeof shortest) == nullptr) {
        return std::nullopt;
    }
    const std::string normal(shortest);
    return "[" + (normal.size() < text.size() ? normal : text) + zone + "]";
}

// RFC 3986's removal of "." and ".." segments from a path.
std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./")) {
            input.remove_prefix(2);
        } else if (input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../") || input == "/..") {
            input = input.size() == 3 ? std::string_view("/") : input.substr(3);
            const std::size_t slash = output.find_last_of('/');
            output.resize(slash == std::string::npos ? 0 : slash);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const std::size_t next = input.find('/', 1);
            const std::size_t length = next == std::string_view::npos ? input.size() : next;
            output.append(input.substr(0, length));
            input.remove_prefix(length);
        }
    }
    return output;
}

int DefaultPort(const std::string& scheme) {
    if (scheme == "http") {
        return 80;
    }
    if (scheme == "https") {
        return 443;
    }
    if (scheme == "ftp") {
        return 21;
    }
    if (scheme == "ftps") {
        return 990;
    }
    return 0;
}

// An absolute address taken apart: what Canonicalize and Parse are made of.
struct Parts {
    std::string scheme;  // lower case
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::string host;  // empty for file addresses
    std::string port;  // decimal without leading zeros; empty when none was given
    std::string path;  // empty for "/"
    std::optional<std::string> query;
    std::string fragment;

    std::string PathOrRoot() const { return path.empty() ? std::string("/") : path; }
};

// The authority "[user[:password]@]host[:port]" into parts; false when it is not one.
bool ParseAuthority(std::string_view authority, Parts& parts) {
    if (const std::size_t at = authority.find('@'); at != std::string_view::npos) {
        const std::string_view login = authority.substr(0, at);
        const std::size_t colon = login.find(':');
        parts.user = std::string(login.substr(0, colon));
        if (colon != std::string_view::npos) {
            parts.password = std::string(login.substr(colon + 1));
        }
        authority.remove_prefix(at + 1);
    }
    std::string_view host = authority;
    std::string_view port;
    bool hasPort = false;
    if (authority.starts_with('[')) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos) {
            return false;
        }
        host = authority.substr(0, close + 1);
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest[0] != ':') {
            return false;
        }
        hasPort = !rest.empty();
        port = hasPort ? rest.substr(1) : rest;
    } else if (const std::size_t colon = authority.find(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        port = authority.substr(colon + 1);
        hasPort = true;
    }
    // "host:" is the host at its default port, as browsers take it.
    if (hasPort && !port.empty()) {
        if (port.find_first_not_of("0123456789") != std::string_view::npos) {
            return false;
        }
        const std::size_t digits = port.find_first_not_of('0');
        port.remove_prefix(digits == std::string_view::npos ? port.size() : digits);
        const long number = port.size() > 5 ? LONG_MAX : std::atol(std::string(port).c_str());
        if (number > 0xFFFF) {
            return false;
        }
        parts.port = std::to_string(number);
    }
    if (host.empty()) {
        return false;
    }
    if (host[0] == '[') {
        std::optional<std::string> address = NormalIpv6(host);
        if (!address) {
            return false;
        }
        parts.host = *address;
        return true;
    }
    // Decoded first, so that an escaped number is the same address as the number.
    std::optional<std::string> decoded = DecodeHost(host);
    if (!decoded) {
        return false;
    }
    if (std::optional<std::string> address = NormalIpv4(*decoded)) {
        parts.host = *address;
        return true;
    }
    if (decoded->empty() || decoded->find_first_of(kNotInHost) != std::string::npos) {
        return false;
    }
    parts.host = *decoded;
    return true;
}

// Whether a file path starts with a drive letter ("c:", "/c:/..."), which only Windows has.
bool HasDrive(std::string_view path) {
    if (path.starts_with('/')) {
        path.remove_prefix(1);
    }
    return path.size() >= 2 && IsAlpha(path[0]) && path[1] == ':' &&
           (path.size() == 2 || path[2] == '/');
}

std::optional<Parts> ParseAbsolute(const std::string& url) {
    // A NUL byte inside the text would cut it short wherever it goes next.
    if (url.empty() || url.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    const std::string text = EncodeUnsafe(url);
    Parts parts;
    std::size_t i = 0;
    if (!IsAlpha(text[0])) {
        return std::nullopt;
    }
    for (i = 1; i < text.size() && i < kMaxScheme; ++i) {
        const char c = text[i];
        if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') {
            break;
        }
    }
    if (i >= text.size() || text[i] != ':') {
        return std::nullopt;
    }
    for (std::size_t s = 0; s < i; ++s) {
        parts.scheme += Lower(text[s]);
    }
    std::string_view rest = std::string_view(text).substr(i + 1);

    if (parts.scheme == "file") {
        // file:/path, file:///path, or file://localhost/path: this machine's files only.
        if (rest.size() < 2) {
            return std::nullopt;
        }
        if (rest.starts_with("//")) {
            rest.remove_prefix(2);
            if (!rest.starts_with('/')) {
                if (!rest.starts_with("localhost/") && !rest.starts_with("127.0.0.1/")) {
                    return std::nullopt;
                }
                rest.remove_prefix(9);
            }
        }
        if (!rest.starts_with('/') || HasDrive(rest)) {
            return std::nullopt;
        }
    } else {
        // One to three slashes, then the authority up to the path, query or fragment.
        std::size_t slashes = 0;
        while (slashes < rest.size() && slashes < 4 && rest[slashes] == '/') {
            ++slashes;
        }
        if (slashes < 1 || slashes > 3) {
            return std::nullopt;
        }
        rest.remove_prefix(slashes);
        const std::size_t end = rest.find_first_of("/?#");
        const std::string_view authority = rest.substr(0, end);
        if (authority.empty() || !ParseAuthority(authority, parts)) {
            return std::nullopt;
        }
        rest.remove_prefix(authority.size());
    }

    if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
        parts.fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (const std::size_t question = rest.find('?'); question != std::string_view::npos) {
        parts.query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    if (rest.size() > 1) {
        parts.path = RemoveDotSegments(rest);
    }
    return parts;
}

std::string Compose(const Parts& parts) {
    std::string url = parts.scheme + "://";
    if (parts.scheme != "file") {
        if (parts.user || parts.password) {
            url += parts.user.value_or("");
            if (parts.password) {
                url += ":" + *parts.password;
            }
            url += "@";
        }
        url += parts.host;
        if (!parts.port.empty()) {
            url += ":" + parts.port;
        }
    }
    url += parts.PathOrRoot();
    if (parts.query && !parts.query->empty()) {
        url += "?" + *parts.query;
    }
    if (!parts.fragment.empty()) {
        url += "#" + parts.fragment;
    }
    return url;
}

}  // namespace

std::optional<std::string> Canonicalize(const std::string& url, std::size_t bufferSize) {
    std::optional<Parts> parts = ParseAbsolute(url);
    if (!parts) {
        return std::nullopt;
    }
    std::string canonical = Compose(*parts);
    if (canonical.size() + 1 > bufferSize) {
        return std::nullopt;
    }
    return canonical;
}

std::optional<Url> Parse(const std::string& url) {
    std::optional<Parts> parts = ParseAbsolute(url);
    if (!parts) {
        return std::nullopt;
    }
    Url result;
    result.scheme = parts->scheme;
    result.user = parts->user.value_or("");
    result.password = parts->password.value_or("");
    result.host = parts->host;
    // A zone belongs to this machine's interfaces, not to the address a request names.
    if (const std::size_t zone = result.host.find("%25");
        result.host.starts_with('[') && zone != std::string::npos) {
        result.host = result.host.substr(0, zone) + "]";
    }
    result.port = parts->port.empty() ? DefaultPort(parts->scheme) : std::atoi(parts->port.c_str());
    result.object = parts->PathOrRoot();
    if (parts->query) {
        result.object += "?" + *parts->query;
    }
    result.fragment = parts->fragment;
    return result;
}

bool PathIsURL(const std::string& text) {
    return ParseAbsolute(text).has_value();
}

bool IsWebAddress(const std::string& text) {
    // The parser fills in what is missing; the text itself must already say "scheme://host".
    const std::size_t colon = text.find("://");
    if (colon == std::string::npos) {
        return false;
    }
    std::string scheme = text.substr(0, colon);
    for (char& c : scheme) {
        c = Lower(c);
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
