#include "platform/Http.h"

#include <gtest/gtest.h>

#include "support/TestHttpServer.h"

namespace {

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

TEST(Http, OnlyTheAllowedProtocolsAreSpoken) {
    Http::Result result = Http::Get("gopher://127.0.0.1/", {});
    EXPECT_FALSE(result.completed);
    EXPECT_FALSE(result.error.empty());
    result = Http::Get("dict://127.0.0.1/", {});
    EXPECT_FALSE(result.completed);
}

TEST(Http, DefaultUserAgentIsTheExecutablesName) {
    EXPECT_EQ(Http::DefaultUserAgent(), "platform_tests");
}

}  // namespace
