#include "services/Manifest.h"

#include <gtest/gtest.h>

#include "support/TestEnvironment.h"

namespace {

using Manifest::ExtractTag;

TEST(ExtractTag, ValueBetweenTheTagsTrimmed) {
    EXPECT_EQ(ExtractTag("x<a> \t 1.2 \r\n</a>y", "a", true), "1.2");
    EXPECT_EQ(ExtractTag("<a></a>", "a", true), "");
}

TEST(ExtractTag, MissingTagsGiveEmptyAndTraceTheTag) {
    testing_support::TraceRecorder traces;
    EXPECT_EQ(ExtractTag("<a>1", "a", true), "");
    EXPECT_EQ(ExtractTag("1</a>", "a", true), "");
    EXPECT_EQ(traces.Texts(), (std::vector<std::string>{"Unable to find manifest parameter", "a",
                                                        "Unable to find manifest parameter", "a"}));
}

TEST(ExtractTag, TagsAreExactText) {
    EXPECT_EQ(ExtractTag("<A>1</A>", "a", true), "");
    EXPECT_EQ(ExtractTag("<a x=\"1\">1</a>", "a", true), "");
}

TEST(ExtractTag, ClosingTagIsSearchedFromTheStart) {
    // A closing tag before the opening tag: the value is empty.
    EXPECT_EQ(ExtractTag("</a><a>value</a>", "a", true), "");
    // The first opening and the first closing tag count.
    EXPECT_EQ(ExtractTag("<a>1</a><a>2</a>", "a", true), "1");
}

TEST(ExtractTag, LineBreaksDroppedOrKept) {
    const std::string text = "<d>\r\nline one\r\nline two\nthree\r\n</d>";
    EXPECT_EQ(ExtractTag(text, "d", true), "line oneline twothree");
    EXPECT_EQ(ExtractTag(text, "d", false), "line one\r\nline two\nthree");
}

TEST(JoinLines, LineFeedsGoCarriageReturnsStay) {
    EXPECT_EQ(Manifest::JoinLines("a\r\nb\nc"), "a\rbc");
    EXPECT_EQ(Manifest::JoinLines(""), "");
}

const char* kManifest =
    "<toolbar_manifest>\r\n"
    "  <product_version>1.2.0.10</product_version>\r\n"
    "  <merchant_build>15</merchant_build>\r\n"
    "  <description>New games\r\nFaster start</description>\r\n"
    "  <url>http://example.test/get</url>\r\n"
    "  <date>2008-03-01</date>\r\n"
    "</toolbar_manifest>\r\n";

TEST(ManifestParse, ReadsTheFiveValues) {
    UpdateManifest manifest;
    ASSERT_TRUE(Manifest::Parse(Manifest::JoinLines(kManifest), manifest));
    EXPECT_EQ(manifest.productVersion, "1.2.0.10");
    EXPECT_EQ(manifest.build, "15");
    EXPECT_EQ(manifest.url, "http://example.test/get");
    EXPECT_EQ(manifest.date, "2008-03-01");
    // The description keeps its carriage return; the line feed went with the line joining.
    EXPECT_EQ(manifest.description, "New games\rFaster start");
}

TEST(ManifestParse, ValuesSpreadOverLines) {
    UpdateManifest manifest;
    std::string text = Manifest::JoinLines(
        "<toolbar_manifest><product_version>\n1.2.\n0.10\n</product_version>"
        "<merchant_build>\n1\n5</merchant_build><url>\nhttp://x.test/\na</url>");
    ASSERT_TRUE(Manifest::Parse(text, manifest));
    EXPECT_EQ(manifest.productVersion, "1.2.0.10");
    EXPECT_EQ(manifest.build, "15");
    EXPECT_EQ(manifest.url, "http://x.test/a");
    EXPECT_EQ(manifest.date, "");
    EXPECT_EQ(manifest.description, "");
}

TEST(ManifestParse, EachRequiredPartFailsWithItsTrace) {
    struct Case {
        std::string text;
        std::string trace;
    };
    const Case cases[] = {
        {"<html>Error 404</html>", "Unable to parse update manifest. Header tag not found"},
        {"<toolbar_manifest><merchant_build>1</merchant_build><url>u</url>",
         "Unable to parse update manifest. Version tag not found"},
        {"<toolbar_manifest><product_version>1</product_version><url>u</url>",
         "Unable to parse update manifest. Build tag not found"},
        {"<toolbar_manifest><product_version>1</product_version><merchant_build>2</"
         "merchant_build>",
         "Unable to parse update manifest. Url tag not found"},
        {"<toolbar_manifest></product_version><product_version>1</product_version>",
         "Unable to parse update manifest. Version tag not found"},
    };
    for (const Case& c : cases) {
        testing_support::TraceRecorder traces;
        UpdateManifest manifest;
        EXPECT_FALSE(Manifest::Parse(c.text, manifest)) << c.text;
        EXPECT_TRUE(traces.Contains(c.trace)) << c.text;
        EXPECT_FALSE(traces.Contains("Parsing manifest OK"));
    }
}

}  // namespace
