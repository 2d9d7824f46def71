#include "platform/net/Http.h"

#include <memory>
#include <string_view>

#include "platform/net/CurlLibrary.h"
#include "platform/os/SystemPaths.h"

namespace Http {
namespace {

struct Transfer {
    std::string body;
    std::size_t limit = 0;
    std::size_t headerBytes = 0;
    // Only the status counts: the transfer ends as soon as the final header block is in.
    bool statusOnly = false;
    long finalStatus = 0;  // the status of the last status line seen
    bool headersDone = false;
    bool tooLarge = false;
    const std::atomic<bool>* cancel = nullptr;
};

std::size_t OnData(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (transfer->body.size() + bytes > transfer->limit) {
        transfer->tooLarge = true;
        return 0;  // ends the transfer with a write error
    }
    transfer->body.append(data, bytes);
    return bytes;
}

// The status code of an "HTTP/x.y NNN reason" line, 0 when the line is none.
long StatusOfLine(std::string_view line) {
    if (line.substr(0, 5) != "HTTP/") {
        return 0;
    }
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos || line.size() < space + 4) {
        return 0;
    }
    long status = 0;
    for (char c : line.substr(space + 1, 3)) {
        if (c < '0' || c > '9') {
            return 0;
        }
        status = status * 10 + (c - '0');
    }
    return status;
}

// Header lines, one per call. Headers count against the same cap as a body, so that a server
// that never ends its headers cannot make the transfer grow without bound.
std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    transfer->headerBytes += bytes;
    if (transfer->headerBytes > transfer->limit) {
        transfer->tooLarge = true;
        return 0;
    }
    const std::string_view line(data, bytes);
    if (const long status = StatusOfLine(line); status != 0) {
        transfer->finalStatus = status;
    } else if (line == "\r\n" || line == "\n") {
        // The end of a header block; an interim (1xx) block is followed by the real one.
        if (transfer->statusOnly && transfer->finalStatus >= 200) {
            transfer->headersDone = true;
            return 0;  // ends the transfer: the body is never read
        }
    }
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* transfer = static_cast<Transfer*>(user);
    // A non-zero answer aborts the transfer at once.
    return transfer->cancel != nullptr && transfer->cancel->load() ? 1 : 0;
}

struct HandleCleanup {
    void operator()(CURL* handle) const { Curl().easyCleanup(handle); }
};
using Handle = std::unique_ptr<CURL, HandleCleanup>;

Handle MakeHandle(const CurlApi& api, const std::string& address, const Options& options,
                  Transfer& transfer) {
    Handle curl(api.easyInit());
    if (!curl) {
        return curl;
    }
    CURL* h = curl.get();
    api.easySetopt(h, CURLOPT_URL, address.c_str());
    api.easySetopt(h, CURLOPT_NOSIGNAL, 1L);
    api.easySetopt(h, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    api.easySetopt(h, CURLOPT_USERAGENT, options.userAgent.c_str());
    api.easySetopt(h, CURLOPT_CONNECTTIMEOUT, static_cast<long>(options.connectTimeout.count()));
    api.easySetopt(h, CURLOPT_TIMEOUT, static_cast<long>(options.transferTimeout.count()));
    api.easySetopt(h, CURLOPT_WRITEFUNCTION, &OnData);
    api.easySetopt(h, CURLOPT_WRITEDATA, &transfer);
    api.easySetopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    api.easySetopt(h, CURLOPT_HEADERDATA, &transfer);
#if LIBCURL_VERSION_NUM >= 0x075700
    // A name still being resolved when the request is cancelled is left to its resolver
    // thread instead of being waited for (glibc's resolver can take tens of seconds). An older
    // libcurl waits for it; the worker's stop limit then still bounds the exit.
    api.easySetopt(h, CURLOPT_QUICK_EXIT, 1L);
#endif
    api.easySetopt(h, CURLOPT_NOPROGRESS, 0L);
    api.easySetopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    api.easySetopt(h, CURLOPT_XFERINFODATA, &transfer);
    return curl;
}

Result Perform(const CurlApi& api, CURL* h, Transfer& transfer) {
    Result result;
    char message[CURL_ERROR_SIZE] = {};
    api.easySetopt(h, CURLOPT_ERRORBUFFER, message);
    if (transfer.cancel != nullptr && transfer.cancel->load()) {
        result.error = "Cancelled";
        return result;
    }
    CURLcode code = api.easyPerform(h);
    if (transfer.headersDone) {
        result.completed = true;
        result.status = transfer.finalStatus;
        return result;
    }
    if (code != CURLE_OK) {
        if (transfer.tooLarge) {
            result.error = "Reply is larger than " + std::to_string(transfer.limit) + " bytes";
        } else if (code == CURLE_ABORTED_BY_CALLBACK) {
            result.error = "Cancelled";
        } else {
            result.error = message[0] != '\0' ? message : api.easyStrerror(code);
        }
        return result;
    }
    api.easyGetinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    result.completed = true;
    result.body = std::move(transfer.body);
    return result;
}

}  // namespace

Result Get(const std::string& address, const Options& options) {
    Transfer transfer;
    transfer.limit = options.maxBodySize;
    transfer.cancel = options.cancel;
    const CurlApi& api = Curl();
    if (!api.error.empty()) {
        return Result{false, 0, {}, api.error};
    }
    Handle curl = MakeHandle(api, address, options, transfer);
    if (!curl) {
        return Result{false, 0, {}, "Unable to create a connection"};
    }
    api.easySetopt(curl.get(), CURLOPT_HTTPGET, 1L);
    api.easySetopt(curl.get(), CURLOPT_FOLLOWLOCATION, 1L);
    api.easySetopt(curl.get(), CURLOPT_MAXREDIRS, 5L);
    api.easySetopt(curl.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    // Always from the server: ask caches on the way not to answer for it.
    curl_slist* headers = api.slistAppend(nullptr, "Cache-Control: no-cache");
    headers = api.slistAppend(headers, "Pragma: no-cache");
    api.easySetopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    Result result = Perform(api, curl.get(), transfer);
    api.slistFreeAll(headers);
    return result;
}

Result Post(const std::string& address, const std::string& contentType, const std::string& body,
            const Options& options) {
    Transfer transfer;
    transfer.limit = options.maxBodySize;
    transfer.statusOnly = true;
    transfer.cancel = options.cancel;
    const CurlApi& api = Curl();
    if (!api.error.empty()) {
        return Result{false, 0, {}, api.error};
    }
    Handle curl = MakeHandle(api, address, options, transfer);
    if (!curl) {
        return Result{false, 0, {}, "Unable to create a connection"};
    }
    api.easySetopt(curl.get(), CURLOPT_POST, 1L);
    api.easySetopt(curl.get(), CURLOPT_POSTFIELDS, body.data());
    api.easySetopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    std::string header = "Content-Type: " + contentType;
    curl_slist* headers = api.slistAppend(nullptr, header.c_str());
    // No "Expect: 100-continue" round trip for a small form.
    headers = api.slistAppend(headers, "Expect:");
    api.easySetopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    Result result = Perform(api, curl.get(), transfer);
    api.slistFreeAll(headers);
    return result;
}

std::string DefaultUserAgent() {
    return SystemPaths::ExecutableName();
}

}  // namespace Http
