#include "services/FormPoster.h"

#include <gtest/gtest.h>
#include <atomic>

#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"

namespace {

using testing_support::TestHttpServer;

TEST(FormEncoding, BodyInAscendingKeyOrderWithEncodedValues) {
    FormPoster::Fields fields{
        {"unique_id", "0123ABCD"}, {"action", "reg"}, {"distribution", "sample 1"}};
    EXPECT_EQ(FormPoster::BuildBody(fields),
              "action=reg&distribution=sample%201&unique_id=0123ABCD");
}

TEST(FormEncoding, ReservedAndUnsafeCharactersAreEncoded) {
    EXPECT_EQ(FormPoster::EncodeValue("Tom & Jerry"), "Tom%20%26%20Jerry");
    EXPECT_EQ(FormPoster::EncodeValue("a=b+c%d#e"), "a%3Db%2Bc%25d%23e");
    EXPECT_EQ(FormPoster::EncodeValue("<\"{}|\\^`[]>"), "%3C%22%7B%7D%7C%5C%5E%60%5B%5D%3E");
    EXPECT_EQ(FormPoster::EncodeValue("line\r\nnext\t"), "line%0D%0Anext%09");
    EXPECT_EQ(FormPoster::EncodeValue("caf\xC3\xA9"), "caf%C3%A9");
    EXPECT_EQ(FormPoster::EncodeValue("me@example.test"), "me@example.test");
    EXPECT_EQ(FormPoster::EncodeValue(""), "");
}

TEST(FormEncoding, ValueTooLongForTheBufferHasNoEncoding) {
    testing_support::TraceRecorder traces;
    EXPECT_EQ(FormPoster::EncodeValue(std::string(2083, 'a')), std::string(2083, 'a'));
    const std::string tooLong(700, ' ');  // 2100 bytes once encoded
    EXPECT_EQ(FormPoster::EncodeValue(tooLong), std::nullopt);
    EXPECT_TRUE(traces.Contains("Unable to canonicalize string '" + tooLong + "'"));
}

class FormServer : public ::testing::Test {
protected:
    void SetUp() override {
        server.Server().Post("/register", [this](const httplib::Request&, httplib::Response& r) {
            r.status = status;
            r.set_content("reply body", "text/plain");
        });
        server.Start();
    }
    TestHttpServer server;
    // Written here, read on the server's thread; the request between them passes through the
    // transfer process, where the thread checker cannot see the order.
    std::atomic<int> status = 200;
};

TEST_F(FormServer, RequestAsTheServerSeesIt) {
    FormPoster poster;
    FormPoster::Fields fields{{"action", "info"},
                              {"email", "tom@example.test"},
                              {"name", "Tom & Jerry = friends"},
                              {"unique_id", "71AFD4E644A842EC8A8F92A3EFCCF11A"}};
    EXPECT_TRUE(poster.Send(server.Url("/register"), fields));
    auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& request = requests[0];
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.path, "/register");
    EXPECT_EQ(request.contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(request.userAgent, Http::DefaultUserAgent());
    EXPECT_EQ(request.body,
              "action=info&email=tom@example.test&name=Tom%20%26%20Jerry%20%3D%20friends&"
              "unique_id=71AFD4E644A842EC8A8F92A3EFCCF11A");
    // The server's form parser gets the name back intact.
    auto name = request.params.find("name");
    ASSERT_NE(name, request.params.end());
    EXPECT_EQ(name->second, "Tom & Jerry = friends");
}

// A value emptied for want of room would be taken for what the user gave: nothing is posted.
TEST_F(FormServer, FormWithAValueTooLongToEncodeIsNotSent) {
    FormPoster poster;
    std::string name;
    for (int i = 0; i < 232; ++i) {
        name += "\xE4\xB8\xAD";  // 2088 bytes once encoded
    }
    EXPECT_FALSE(poster.Send(server.Url("/register"), {{"action", "info"}, {"name", name}}));
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(FormServer, OnlyStatus200IsSuccess) {
    FormPoster poster;
    for (int code : {201, 302, 500}) {
        status = code;
        EXPECT_FALSE(poster.Send(server.Url("/register"), {{"action", "reg"}})) << code;
    }
    status = 200;
    EXPECT_TRUE(poster.Send(server.Url("/register"), {{"action", "reg"}}));
    EXPECT_EQ(server.Requests().size(), 4u);
}

TEST_F(FormServer, NoRequestWithoutAPlainHttpAddress) {
    testing_support::TraceRecorder traces;
    FormPoster poster;
    EXPECT_FALSE(poster.Send("", {{"action", "reg"}}));
    EXPECT_TRUE(traces.Contains("Registration url is empty"));
    std::string https = server.Url("/register");
    https.replace(0, 4, "https");
    EXPECT_FALSE(poster.Send(https, {{"action", "reg"}}));
    EXPECT_FALSE(poster.Send("not an address", {{"action", "reg"}}));
    EXPECT_FALSE(poster.Send("ftp://127.0.0.1/register", {{"action", "reg"}}));
    EXPECT_TRUE(server.Requests().empty());
}

TEST(FormPoster, UnreachableServerIsAConnectionError) {
    testing_support::TraceRecorder traces;
    const int port = testing_support::UnusedPort();
    FormPoster poster;
    EXPECT_FALSE(
        poster.Send("http://127.0.0.1:" + std::to_string(port) + "/register", {{"action", "reg"}}));
    bool traced = false;
    for (const std::string& text : traces.Texts()) {
        traced = traced || text.rfind("Registrator: Internet connection error: ", 0) == 0;
    }
    EXPECT_TRUE(traced);
}

}  // namespace
