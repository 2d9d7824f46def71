#include "support/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace testing_support {

TestHttpServer::TestHttpServer() {
    // Recorded before the response goes out, so a client that has its answer finds its
    // request recorded.
    server_.set_post_routing_handler([this](const httplib::Request& request, httplib::Response&) {
        std::lock_guard lock(mutex_);
        requests_.push_back({request.method, request.path, request.body,
                             request.get_header_value("Content-Type"),
                             request.get_header_value("User-Agent"), request.params});
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        throw std::runtime_error("cannot bind a test server");
    }
}

TestHttpServer::~TestHttpServer() {
    server_.stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void TestHttpServer::Start() {
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // A stop that comes before the server runs would be lost, and the join would hang.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!server_.is_running() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!server_.is_running()) {
        server_.stop();
        thread_.join();
        throw std::runtime_error("the test server did not start");
    }
}

std::string TestHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<TestHttpServer::Request> TestHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

int UnusedPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot find a free port");
    }
    close(fd);  // never listened on: a connection is refused at once
    return ntohs(address.sin_port);
}

}  // namespace testing_support
