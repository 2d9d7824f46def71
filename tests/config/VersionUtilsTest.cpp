#include "config/VersionUtils.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

#include "platform/os/FileVersion.h"
#include "support/TestEnvironment.h"

namespace {

using VersionUtils::Version;

TEST(VersionUtils, ParseVersionTakesUpToFourDigitPieces) {
    const std::pair<const char*, Version> cases[] = {
        {"1.0.10.0", {1, 0, 10, 0}},
        {"1.0.10", {1, 0, 10, 0}},
        {"1.0.x.5", {1, 0, 0, 0}},    // the first bad piece ends the parse
        {"1..2...3", {1, 2, 3, 0}},   // runs of dots are one separator
        {".7.", {7, 0, 0, 0}},        // empty pieces are skipped
        {"1.2.3.4.5", {1, 2, 3, 4}},  // a fifth piece is not read
        {"", {0, 0, 0, 0}},
        {"1. 2", {1, 0, 0, 0}},
        {"1.-2", {1, 0, 0, 0}},
        {"01.002", {1, 2, 0, 0}},
        {"99999999999.4294967295", {2147483647, 2147483647, 0, 0}},  // saturates like atoi
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(VersionUtils::ParseVersion(text), expected) << text;
    }
}

TEST(VersionUtils, ParseBuildNumberReadsLikeAtoiButSaturates) {
    const std::pair<const char*, int> cases[] = {
        {" \t42x", 42},
        {"+7", 7},
        {"-5", -5},
        {"", 0},
        {"x1", 0},
        {"- 1", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999", INT_MIN},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(VersionUtils::ParseBuildNumber(text), expected) << text;
    }
}

TEST(VersionUtils, CompareVersionsLetsTheFirstDifferenceDecide) {
    EXPECT_EQ(VersionUtils::CompareVersions({1, 0, 10, 0}, {1, 0, 10, 0}), 0);
    EXPECT_EQ(VersionUtils::CompareVersions({1, 0, 0, 0}, {0, 9, 9, 9}), 1);
    EXPECT_EQ(VersionUtils::CompareVersions({1, 0, 9, 99}, {1, 0, 10, 0}), -1);
    EXPECT_EQ(VersionUtils::CompareVersions({1, 0, 10, 1}, {1, 0, 10, 0}), 1);
    // Components are unsigned.
    EXPECT_EQ(VersionUtils::CompareVersions({0x80000000u, 0, 0, 0}, {1, 0, 0, 0}), 1);
}

TEST(VersionUtils, FormatVersionJoinsTheFirstComponents) {
    const Version version{1, 0, 10, 7};
    EXPECT_EQ(VersionUtils::FormatVersion(version, 4, '.'), "1.0.10.7");
    EXPECT_EQ(VersionUtils::FormatVersion(version, 2, ','), "1,0");
    EXPECT_EQ(VersionUtils::FormatVersion(version, 9, '.'), "1.0.10.7");
    EXPECT_EQ(VersionUtils::FormatVersion(version, 0, '.'), "");
    EXPECT_EQ(VersionUtils::FormatVersion({4294967295u, 0, 0, 0}, 1, '.'), "4294967295");
}

TEST(VersionUtils, ThisProgramsOwnVersion) {
    EXPECT_EQ(VersionUtils::GetModuleName(), std::filesystem::canonical("/proc/self/exe").string());
    EXPECT_EQ(VersionUtils::GetFileVersion(VersionUtils::GetModuleName()), (Version{1, 0, 10, 0}));
    EXPECT_EQ(VersionUtils::GetCurrentVersion(), (Version{1, 0, 10, 0}));
}

std::string FileVersionError(const std::string& path) {
    try {
        VersionUtils::GetFileVersion(path);
    } catch (const VersionUtils::Exception& error) {
        return error.GetMessage();
    }
    return "(read)";
}

TEST(VersionUtils, FilesWithoutAReadableVersion) {
    testing_support::TempHome home;
    EXPECT_EQ(FileVersionError("/bin/sh"), "Unable to get file version info size");
    EXPECT_EQ(FileVersionError(home.Root() + "/missing"), "Unable to get file version info size");

    // A copy of this program whose version record is damaged.
    std::string bytes = testing_support::ReadFile("/proc/self/exe");
    FileVersion::Record own{};
    ASSERT_EQ(FileVersion::Read("/proc/self/exe", own), FileVersion::Status::Ok);
    const std::string record(reinterpret_cast<const char*>(&own), sizeof own);
    for (std::size_t at = bytes.find(record); at != std::string::npos;
         at = bytes.find(record, at)) {
        bytes[at] = 'X';
    }
    testing_support::WriteFile(home.Root() + "/damaged", bytes);
    EXPECT_EQ(FileVersionError(home.Root() + "/damaged"), "Unable to process file version info");
}

}  // namespace
