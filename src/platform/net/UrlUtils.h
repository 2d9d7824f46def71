#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Web addresses, by a small parser of absolute addresses that takes them as libcurl's URL API
// does, without the library. Only absolute addresses with a scheme count.
namespace UrlUtils {

// The size of the buffer browsers and the program hold an address in, terminating zero
// included: an address is at most 2083 bytes long.
constexpr std::size_t kMaxUrlBuffer = 2084;

// The canonical form of url: bytes that may not stand in an address (controls, blanks,
// non-ASCII, and "<>\"\\^`{|}") percent-encoded, scheme lower-cased, "." and ".." path
// segments resolved, an empty path made "/". nullopt when url is not an absolute address with
// a scheme, or when the result and its terminating zero do not fit bufferSize bytes.
std::optional<std::string> Canonicalize(const std::string& url,
                                        std::size_t bufferSize = kMaxUrlBuffer);

// The parts of an absolute address.
struct Url {
    std::string scheme;  // lower case: "http", "https", "ftp", ...
    std::string user;
    std::string password;
    std::string host;
    int port = 0;        // the given port, else the scheme's default, else 0
    std::string object;  // path and query, as sent in a request line: "/path?query"
    std::string fragment;
};

// Splits an absolute address into its parts (unsafe bytes percent-encoded as by
// Canonicalize); nullopt when it is not one.
std::optional<Url> Parse(const std::string& url);

// Whether text is an absolute address with a scheme.
bool PathIsURL(const std::string& text);

// Whether text, as typed, is an http or https address with "//" and a host that fits the
// address buffer once canonical. Meant for addresses that come from the network: nothing is
// repaired, so "http:/x" is not taken for "http://x/".
bool IsWebAddress(const std::string& text);

}  // namespace UrlUtils
