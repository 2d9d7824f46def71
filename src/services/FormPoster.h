#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/net/Http.h"

// Sends an HTML form by POST to an http address; success is exactly status 200.
class FormPoster {
public:
    using Fields = std::map<std::string, std::string>;  // ascending, byte-wise key order

    explicit FormPoster(Http::Options options = DefaultOptions());

    // False without a request when a value has no encoding: a value sent emptied would be
    // taken for what the user gave.
    bool Send(const std::string& address, const Fields& fields) const;

    // key=value pairs joined by "&" in key order, values encoded, keys as they are; nullopt
    // when a value has no encoding.
    static std::optional<std::string> BuildBody(const Fields& fields);

    // A value as form data: spaces as %20; "&", "=", "+", "%", "#", the characters unsafe in
    // addresses, control and non-ASCII bytes percent-encoded. nullopt when the result would not
    // fit the 2084-byte buffer of the original canonicalisation.
    static std::optional<std::string> EncodeValue(const std::string& value);
    // The length of value's encoding, whether it fits or not.
    static std::size_t EncodedSize(const std::string& value);

    static Http::Options DefaultOptions();

    static constexpr const char* kContentType = "application/x-www-form-urlencoded";
    static constexpr std::size_t kMaxEncodedValue = 2083;

private:
    Http::Options options_;
};
