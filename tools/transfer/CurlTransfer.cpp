#include "CurlTransfer.h"

#include <curl/curl.h>

#include <memory>
#include <string_view>

namespace CurlTransfer {
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

struct HandleCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using Handle = std::unique_ptr<CURL, HandleCleanup>;

struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using List = std::unique_ptr<curl_slist, ListCleanup>;

void Append(List& list, const std::string& line) {
    curl_slist* longer = curl_slist_append(list.get(), line.c_str());
    if (longer != nullptr) {
        list.release();
        list.reset(longer);
    }
}

}  // namespace

Http::Result Perform(const TransferMessages::Request& request) {
    Http::Result result;
    Transfer transfer;
    transfer.limit = request.maxBodySize;
    Handle curl(curl_easy_init());
    if (!curl) {
        result.error = "Unable to create a connection";
        return result;
    }
    CURL* h = curl.get();
    char message[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, message);
    curl_easy_setopt(h, CURLOPT_URL, request.address.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // A library too old to keep to these protocols makes no transfer at all.
    if (curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file") != CURLE_OK ||
        curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") != CURLE_OK) {
        result.error = "The transfer library cannot keep to the allowed protocols";
        return result;
    }
    curl_easy_setopt(h, CURLOPT_USERAGENT, request.userAgent.c_str());
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, request.connectTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, request.transferTimeoutSeconds);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &OnData);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    List headers;
    if (request.method == TransferMessages::Request::Method::kPost) {
        transfer.statusOnly = true;
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        Append(headers, "Content-Type: " + request.contentType);
        // No "Expect: 100-continue" round trip for a small form.
        Append(headers, "Expect:");
    } else {
        curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
        // Always from the server: ask caches on the way not to answer for it.
        Append(headers, "Cache-Control: no-cache");
        Append(headers, "Pragma: no-cache");
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());

    const CURLcode code = curl_easy_perform(h);
    if (transfer.headersDone) {
        result.completed = true;
        result.status = transfer.finalStatus;
        return result;
    }
    if (code != CURLE_OK) {
        if (transfer.tooLarge) {
            result.error = "Reply is larger than " + std::to_string(transfer.limit) + " bytes";
        } else {
            result.error = message[0] != '\0' ? message : curl_easy_strerror(code);
        }
        return result;
    }
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
    result.completed = true;
    result.body = std::move(transfer.body);
    return result;
}

}  // namespace CurlTransfer
