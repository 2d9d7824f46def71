#include "platform/net/Http.h"

#include <dlfcn.h>
#include <netdb.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <string_view>
#include <thread>

#include "support/TestHttpServer.h"

namespace {

// A name server that takes as long as the test wants: names under ".stall.test" are resolved
// only once stallRelease is set (or after a minute); every other name goes to the real resolver.
std::mutex stallMutex;
std::condition_variable stallWake;
bool stallEntered = false;
bool stallRelease = false;

}  // namespace

extern "C" int getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                           addrinfo** result) {
    using Real = int (*)(const char*, const char*, const addrinfo*, addrinfo**);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "getaddrinfo"));
    const std::string_view name = node != nullptr ? node : "";
    if (name.ends_with(".stall.test")) {
        std::unique_lock lock(stallMutex);
        stallEntered = true;
        stallWake.notify_all();
        stallWake.wait_for(lock, std::chrono::minutes(1), [] { return stallRelease; });
        return EAI_NONAME;
    }
    return real(node, service, hints, result);
}

namespace {

using namespace std::chrono_literals;

using testing_support::TestHttpServer;

class HttpServer : public ::testing::Test {
protected:
    void SetUp() override {
        server.Server().Get("/big", [](const httplib::Request&, httplib::Response& r) {
            r.set_content(std::string(2000, 'x'), "text/plain");
        });
        server.Server().Get("/moved", [](const httplib::Request&, httplib::Response& r) {
            r.set_redirect("/target");
        });
        server.Server().Get("/target", [](const httplib::Request& q, httplib::Response& r) {
            r.set_content("arrived " + q.get_header_value("User-Agent"), "text/plain");
        });
        server.Server().Get("/missing", [](const httplib::Request&, httplib::Response& r) {
            r.status = 404;
            r.set_content("<html>Not found</html>", "text/html");
        });
        server.Start();
    }
    TestHttpServer server;
};

// Each test runs in a process of its own, so this one sees the start of the process: the
// transfer library and its thirty dependencies must arrive with the first request, not at exec.
TEST_F(HttpServer, TransferLibraryIsLoadedByTheFirstRequest) {
    EXPECT_EQ(dlopen("libcurl.so.4", RTLD_NOW | RTLD_NOLOAD), nullptr);
    Http::Result result = Http::Get(server.Url("/target"), {});
    EXPECT_TRUE(result.completed) << result.error;
    void* loaded = dlopen("libcurl.so.4", RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(loaded, nullptr);
    if (loaded != nullptr) {
        dlclose(loaded);
    }
}

TEST_F(HttpServer, GetFollowsRedirectsAndSendsTheUserAgent) {
    Http::Options options;
    options.userAgent = "tivora";
    Http::Result result = Http::Get(server.Url("/moved"), options);
    ASSERT_TRUE(result.completed) << result.error;
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, "arrived tivora");
}

TEST_F(HttpServer, ErrorPageIsAReplyLikeAnyOther) {
    Http::Result result = Http::Get(server.Url("/missing"), {});
    ASSERT_TRUE(result.completed);
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(result.body, "<html>Not found</html>");
}

TEST_F(HttpServer, ReplyLargerThanTheCapFails) {
    Http::Options options;
    options.maxBodySize = 1999;
    Http::Result result = Http::Get(server.Url("/big"), options);
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.body.empty());
    EXPECT_NE(result.error.find("larger than 1999 bytes"), std::string::npos) << result.error;
    options.maxBodySize = 2000;
    EXPECT_TRUE(Http::Get(server.Url("/big"), options).completed);
}

TEST_F(HttpServer, CancelledBeforehandMakesNoRequest) {
    std::atomic<bool> cancel{true};
    Http::Options options;
    options.cancel = &cancel;
    Http::Result result = Http::Get(server.Url("/target"), options);
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.error, "Cancelled");
    EXPECT_TRUE(server.Requests().empty());
}

// A reply whose status counts alone: the post ends once the headers are in, whatever the body
// does afterwards, and headers count against the cap.
TEST(HttpPost, EndsOnceTheHeadersAreIn) {
    std::atomic<std::size_t> bodyBytesSent{0};
    TestHttpServer server;
    std::promise<void> release;  // destroyed before the server: ends a stalled body
    std::shared_future<void> released = release.get_future().share();
    auto stall = [released](std::size_t, httplib::DataSink& sink) {
        released.wait_for(2min);
        sink.done();
        return true;
    };
    server.Server().Post("/stall", [&](const httplib::Request&, httplib::Response& r) {
        r.set_chunked_content_provider("text/plain", stall);
    });
    server.Server().Post("/refused", [&](const httplib::Request&, httplib::Response& r) {
        r.status = 500;
        r.set_chunked_content_provider("text/plain", stall);
    });
    server.Server().Post("/endless", [&](const httplib::Request&, httplib::Response& r) {
        r.set_chunked_content_provider("text/plain", [&](std::size_t, httplib::DataSink& sink) {
            static const std::string chunk(64 * 1024, 'x');
            bodyBytesSent += chunk.size();
            return sink.write(chunk.data(), chunk.size());  // false once the client is gone
        });
    });
    server.Server().Post("/big-headers", [](const httplib::Request&, httplib::Response& r) {
        for (int i = 0; i < 100; ++i) {
            r.set_header("X-Filler-" + std::to_string(i), std::string(1024, 'h'));
        }
    });
    server.Start();

    struct Case {
        const char* path;
        bool completed;
        long status;
    };
    for (const Case& c : {Case{"/stall", true, 200}, Case{"/refused", true, 500},
                          Case{"/endless", true, 200}, Case{"/big-headers", false, 0}}) {
        Http::Options options;
        options.maxBodySize = 64 * 1024;
        options.transferTimeout = 20s;  // only reached when the post waits for the body
        const Http::Result result = Http::Post(server.Url(c.path), "text/plain", "a=b", options);
        EXPECT_EQ(result.completed, c.completed) << c.path << ": " << result.error;
        EXPECT_EQ(result.status, c.status) << c.path;
    }
    // The endless body was not read: at most what the socket buffers took in.
    EXPECT_LT(bodyBytesSent.load(), 64u * 1024 * 1024);
}

// Cancelling a request whose host name is still being resolved ends it at once; the resolver
// is not waited for.
TEST(Http, CancelDoesNotWaitForANameBeingResolved) {
    std::atomic<bool> cancel{false};
    Http::Options options;
    options.cancel = &cancel;
    auto request = std::async(std::launch::async,
                              [&] { return Http::Get("http://tivora.stall.test/", options); });
    {
        std::unique_lock lock(stallMutex);
        ASSERT_TRUE(stallWake.wait_for(lock, 10s, [] { return stallEntered; }));
    }
    cancel = true;
    // The resolver stays stuck until the end of this test: only a request that leaves it
    // behind can be back before that.
    const bool back = request.wait_for(20s) == std::future_status::ready;
    {
        std::lock_guard lock(stallMutex);
        stallRelease = true;
        stallWake.notify_all();
    }
    ASSERT_TRUE(back);
    const Http::Result result = request.get();
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.error, "Cancelled");
}

TEST(Http, OnlyTheAllowedProtocolsAreSpoken) {
    Http::Result result = Http::Get("gopher://127.0.0.1/", {});
    EXPECT_FALSE(result.completed);
    EXPECT_FALSE(result.error.empty());
    result = Http::Get("dict://127.0.0.1/", {});
    EXPECT_FALSE(result.completed);
}

TEST(Http, DefaultUserAgentIsTheExecutablesName) {
    EXPECT_EQ(Http::DefaultUserAgent(), "platform_net_tests");
}

}  // namespace
