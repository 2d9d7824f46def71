#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

// HTTP for the worker thread, each request made by libcurl in a short-lived transfer process
// (tivora-transfer) so that the program never maps the library: the stand-in for the internet
// session of the original platform. Proxies come from the environment (http_proxy,
// https_proxy, no_proxy), only http, https, ftp and file are spoken, and a request ends early
// when its cancel flag is set. A transfer process that dies, hangs past the time-out, or
// answers with garbage or too much makes the request fail with an error saying so.
namespace Http {

struct Options {
    std::string userAgent;
    std::chrono::seconds connectTimeout{15};
    std::chrono::seconds transferTimeout{60};
    std::size_t maxBodySize = 1024 * 1024;  // a longer reply fails
    const std::atomic<bool>* cancel = nullptr;
};

struct Result {
    bool completed = false;  // a reply was received in full (whatever its status)
    long status = 0;         // the HTTP status, 0 when there was none
    std::string body;
    std::string error;  // why it did not complete
};

// Fetches address (redirects followed, at most 5), always from the server, never a cache.
Result Get(const std::string& address, const Options& options);

// Posts body to address with the given Content-Type; redirects are not followed, so that a
// redirect is the server's answer. Only the status counts: the transfer ends once the reply's
// headers are in, and its body is never read.
Result Post(const std::string& address, const std::string& contentType, const std::string& body,
            const Options& options);

// The user agent the program sends: its executable's file name without extension.
std::string DefaultUserAgent();

}  // namespace Http
