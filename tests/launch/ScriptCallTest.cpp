#include <gtest/gtest.h>

#include "launch/ScriptCallAdapter.h"

namespace {

TEST(ReadScriptCall, ReadsTheAdapterAndTheKindOfEachArgument) {
    auto call =
        ReadScriptCall(R"({"key":"k1","adapter":"play","args":[{"text":"http://c.example/"},)"
                       R"({"type":"number"},{"text":""},{"type":"string","tooLong":true}]})",
                       nullptr);
    ASSERT_TRUE(call.has_value());
    EXPECT_EQ(call->key, "k1");
    EXPECT_EQ(call->adapter, "play");
    ASSERT_EQ(call->arguments.size(), 4u);
    EXPECT_FALSE(call->arguments[0].tooLong);
    EXPECT_TRUE(call->arguments[3].tooLong);
    EXPECT_FALSE(call->arguments[3].isText);
    EXPECT_TRUE(call->arguments[0].isText);
    EXPECT_EQ(call->arguments[0].text, "http://c.example/");
    EXPECT_FALSE(call->arguments[1].isText);
    EXPECT_EQ(call->arguments[1].kind, "number");
    EXPECT_TRUE(call->arguments[2].isText);
    EXPECT_TRUE(ReadScriptCall(R"({"adapter":"close","args":[]})", nullptr)->arguments.empty());
}

TEST(ReadScriptCall, RefusesWhatIsNotACall) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "not a call"},
        {"garbage", "not a call"},
        {"[1,2]", "not a call"},
        {R"({"adapter":1,"args":[]})", "not a call"},
        {R"({"adapter":"play"})", "not a call"},
        {R"({"adapter":"play","args":"http://c.example/"})", "not a call"},
        {R"({"adapter":"play","args":[{"text":5}]})", "malformed argument"},
        {R"({"adapter":"play","args":["http://c.example/"]})", "malformed argument"},
        {R"({"adapter":"play","args":[{"text":")" + std::string(40000, 'a') + "\"}]}", "too long"},
    };
    for (const auto& [payload, reason] : cases) {
        std::string error;
        EXPECT_EQ(ReadScriptCall(payload, &error), std::nullopt) << payload.substr(0, 60);
        EXPECT_EQ(error, reason) << payload.substr(0, 60);
    }
}

}  // namespace
