#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/net/Http.h"

// What the program and its transfer process (tivora-transfer) say to each other: one request
// on the process's standard input, one reply on its standard output. Each is a first line
// naming the format, then its fields in a fixed order, each as "name LENGTH\n", LENGTH bytes
// and "\n". A reader takes nothing else: a field out of order, a length beyond the message, a
// number that is not one, or bytes after the last field make the message unreadable.
namespace TransferMessages {

struct Request {
    enum class Method { kGet, kPost };
    Method method = Method::kGet;
    std::string address;
    std::string userAgent;
    std::string contentType;  // for a post
    std::string body;         // for a post
    long connectTimeoutSeconds = 15;
    long transferTimeoutSeconds = 60;
    std::size_t maxBodySize = 1024 * 1024;
};

// The longest request a transfer process reads; a form is far smaller.
constexpr std::size_t kMaxRequest = 1024 * 1024;
// The longest error text a reply carries; a longer one is cut.
constexpr std::size_t kMaxError = 4096;

std::string EncodeRequest(const Request& request);
std::optional<Request> DecodeRequest(std::string_view bytes);

std::string EncodeReply(const Http::Result& result);
// A reply whose body is longer than maxBodySize is unreadable too.
std::optional<Http::Result> DecodeReply(std::string_view bytes, std::size_t maxBodySize);

// The longest reply to a request with this cap on the body.
std::size_t MaxReplySize(std::size_t maxBodySize);

}  // namespace TransferMessages
