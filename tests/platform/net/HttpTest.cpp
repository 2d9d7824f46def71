#include "platform/net/Http.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <future>
#include <string_view>

#include "platform/net/TransferMessages.h"
#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"

namespace {

using namespace std::chrono_literals;

using testing_support::ScopedEnv;
using testing_support::TestHttpServer;

// A transfer program that does what script says, in place of the real one, for the life of
// the object.
class FakeTransferProgram {
public:
    explicit FakeTransferProgram(const std::string& script) {
        testing_support::WriteFile(path_, "#!/bin/sh\n" + script + "\n");
        chmod(path_.c_str(), 0700);
    }

private:
    QTemporaryDir folder_;
    std::string path_ = folder_.path().toStdString() + "/fake-transfer";
    ScopedEnv chosen_{"TIVORA_TRANSFER_PROGRAM", path_};
};

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

// The transfers run in a process of their own: the program never maps the transfer library and
// its thirty dependencies, not even once a request has been made.
TEST_F(HttpServer, TransferLibraryStaysOutOfTheProgram) {
    Http::Result result = Http::Get(server.Url("/target"), {});
    EXPECT_TRUE(result.completed) << result.error;
    EXPECT_EQ(dlopen("libcurl.so.4", RTLD_NOW | RTLD_NOLOAD), nullptr);
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

// Cancelling a request whose transfer process is stuck (in a name being resolved, say) ends it
// at once: the process is killed, not waited for.
TEST(Http, CancelDoesNotWaitForAStuckTransfer) {
    FakeTransferProgram stuck("exec sleep 600");
    std::atomic<bool> cancel{false};
    Http::Options options;
    options.cancel = &cancel;
    options.transferTimeout = 0s;  // no deadline: only the cancel can end it
    auto request =
        std::async(std::launch::async, [&] { return Http::Get("http://127.0.0.1:9/", options); });
    EXPECT_EQ(request.wait_for(300ms), std::future_status::timeout);
    cancel = true;
    ASSERT_EQ(request.wait_for(20s), std::future_status::ready);
    const Http::Result result = request.get();
    EXPECT_FALSE(result.completed);
    EXPECT_EQ(result.error, "Cancelled");
}

// Whatever the transfer process does instead of answering, the request fails with a clear
// error and comes back: never a hang, never a reply made of its bytes.
TEST(Http, TransferProgramThatMisbehavesGivesAClearError) {
    struct Case {
        const char* what;
        std::string script;
        const char* error;
    };
    const std::string reply10 =
        "printf 'tivora-transfer-reply 1\\ncompleted 1\\n1\\nstatus 3\\n200\\n"
        "error 0\\n\\nbody 10\\n0123456789\\n'";
    const Case cases[] = {
        {"killed", "cat >/dev/null; kill -9 $$",
         "ended without an answer: it was ended by signal 9"},
        {"fails", "exit 3", "ended without an answer: it ended with status 3"},
        {"garbage", "cat >/dev/null; printf 'HTTP/1.1 200 OK\\r\\n\\r\\nhello'",
         "answer is unreadable"},
        {"truncated", reply10 + " | head -c 60", "answer is unreadable"},
        {"body over the cap", "cat >/dev/null; " + reply10, "answer is unreadable"},
        {"too much", "cat >/dev/null; exec cat /dev/zero", "answer is longer than"},
        {"hangs", "exec sleep 600", "did not answer within 3 s"},
        {"missing", "", "Unable to start the transfer program"},
    };
    for (const Case& c : cases) {
        std::optional<FakeTransferProgram> fake;
        std::optional<ScopedEnv> missing;
        if (c.script.empty()) {
            missing.emplace("TIVORA_TRANSFER_PROGRAM", "/nonexistent/tivora-transfer");
        } else {
            fake.emplace(c.script);
        }
        Http::Options options;
        options.maxBodySize = 9;
        options.transferTimeout = 1s;
        auto request = std::async(std::launch::async,
                                  [&] { return Http::Get("http://127.0.0.1:9/", options); });
        ASSERT_EQ(request.wait_for(20s), std::future_status::ready) << c.what;
        const Http::Result result = request.get();
        EXPECT_FALSE(result.completed) << c.what;
        EXPECT_TRUE(result.body.empty()) << c.what;
        EXPECT_NE(result.error.find(c.error), std::string::npos) << c.what << ": " << result.error;
    }
}

// The messages between the program and its transfer process: what one side writes the other
// reads back whole, and a message with anything out of place is refused.
TEST(TransferMessages, ReadBackWholeAndRefusedWhenOutOfPlace) {
    TransferMessages::Request request;
    request.method = TransferMessages::Request::Method::kPost;
    request.address = "http://example.test/form";
    request.userAgent = "tivora";
    request.contentType = "application/x-www-form-urlencoded";
    request.body = std::string("a=b\n\0c", 6);
    request.connectTimeoutSeconds = 7;
    request.transferTimeoutSeconds = 9;
    request.maxBodySize = 12345;
    const std::string encoded = TransferMessages::EncodeRequest(request);
    const std::optional<TransferMessages::Request> back = TransferMessages::DecodeRequest(encoded);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->method, request.method);
    EXPECT_EQ(back->address, request.address);
    EXPECT_EQ(back->userAgent, request.userAgent);
    EXPECT_EQ(back->contentType, request.contentType);
    EXPECT_EQ(back->body, request.body);
    EXPECT_EQ(back->connectTimeoutSeconds, 7);
    EXPECT_EQ(back->transferTimeoutSeconds, 9);
    EXPECT_EQ(back->maxBodySize, 12345u);

    const Http::Result reply{true, 404, "not\nhere", ""};
    const std::string good = TransferMessages::EncodeReply(reply);
    const std::optional<Http::Result> read = TransferMessages::DecodeReply(good, 100);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->completed);
    EXPECT_EQ(read->status, 404);
    EXPECT_EQ(read->body, "not\nhere");

    const std::string head = "tivora-transfer-reply 1\n";
    const std::string bad[] = {
        "",
        good + "x",                       // bytes after the last field
        good.substr(0, good.size() - 1),  // cut short
        head + "status 3\n200\ncompleted 1\n1\nerror 0\n\nbody 0\n\n",        // out of order
        head + "completed 1\n1\nstatus 4\n1000\nerror 0\n\nbody 0\n\n",       // no such status
        head + "completed 1\n2\nstatus 3\n200\nerror 0\n\nbody 0\n\n",        // neither 0 nor 1
        head + "completed 1\n1\nstatus -3\n200\nerror 0\n\nbody 0\n\n",       // not a length
        head + "completed 1\n1\nstatus 3\n200\nerror 0\n\nbody 99\nshort\n",  // beyond
        head + "completed 1\n1\nstatus 3\n200\nerror 0\n\nbody 9999999999999999999999\n\n",
    };
    for (const std::string& bytes : bad) {
        EXPECT_FALSE(TransferMessages::DecodeReply(bytes, 100)) << bytes;
    }
    EXPECT_FALSE(TransferMessages::DecodeReply(good, 7)) << "a body over the cap";
    EXPECT_FALSE(TransferMessages::DecodeRequest(encoded + "\n"));
    EXPECT_FALSE(TransferMessages::DecodeRequest(encoded.substr(0, encoded.size() - 2)));
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
