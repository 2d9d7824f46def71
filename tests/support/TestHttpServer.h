#pragma once

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

// A real HTTP server on 127.0.0.1 with an ephemeral port, for the life of the object. Register
// handlers on Server() before Start(); every request that reached a handler is recorded.
class TestHttpServer {
public:
    struct Request {
        std::string method;
        std::string path;
        std::string body;
        std::string contentType;
        std::string userAgent;
        httplib::Params params;
    };

    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    httplib::Server& Server() { return server_; }
    void Start();
    int Port() const { return port_; }
    std::string Url(const std::string& path) const;
    std::vector<Request> Requests() const;

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
};

// A loopback port that nothing listens on (it was free a moment ago).
int UnusedPort();

}  // namespace testing_support
