// tivora-transfer: one HTTP transfer for the program, in a process of its own.
//
// Reads one request (see platform/net/TransferMessages.h) from its standard input until the end
// of it, makes the transfer, writes the reply to its standard output and ends with 0; a request
// it cannot read ends it with 64 and no reply. The program starts it for each transfer and
// kills it when the transfer is no longer wanted, so that the program itself never maps the
// transfer library and its TLS stack, and no fault in them can take the program down.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include <curl/curl.h>

#include "CurlTransfer.h"
#include "platform/net/TransferMessages.h"

namespace {

constexpr int kUnreadableRequest = 64;

bool ReadAll(int fd, std::string& bytes, std::size_t limit) {
    char buffer[16 * 1024];
    while (true) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            return false;
        }
        if (bytes.size() + static_cast<std::size_t>(got) > limit) {
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

}  // namespace

int main() {
    std::signal(SIGPIPE, SIG_IGN);
    std::string input;
    std::optional<TransferMessages::Request> request;
    if (ReadAll(STDIN_FILENO, input, TransferMessages::kMaxRequest)) {
        request = TransferMessages::DecodeRequest(input);
    }
    if (!request) {
        std::fprintf(stderr, "tivora-transfer: the request is unreadable\n");
        return kUnreadableRequest;
    }
    Http::Result result;
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        result.error = "Unable to initialise the transfer library";
    } else {
        result = CurlTransfer::Perform(*request);
    }
    return WriteAll(STDOUT_FILENO, TransferMessages::EncodeReply(result)) ? 0 : 1;
}
