#include "app/PathUtils.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/TestEnvironment.h"

namespace {

using testing_support::TempHome;

std::string ExceptionText(const std::function<void()>& call) {
    try {
        call();
    } catch (const PathUtils::Exception& error) {
        return error.GetMessage();
    }
    return "(no exception)";
}

TEST(AppendPath, JoinsWithExactlyOneSeparator) {
    EXPECT_EQ(PathUtils::AppendPath("/a/b", "c"), "/a/b/c");
    EXPECT_EQ(PathUtils::AppendPath("/a/b/", "c"), "/a/b/c");
    EXPECT_EQ(PathUtils::AppendPath("/a", "//c/d"), "/a/c/d");
    EXPECT_EQ(PathUtils::AppendPath("/a", ""), "/a");
    EXPECT_EQ(PathUtils::AppendPath("", "c"), "c");
}

TEST(AppendPath, PathAtThePlatformLimitFails) {
    std::string base(4000, 'x');
    EXPECT_EQ(ExceptionText([&] { PathUtils::AppendPath("/" + base, std::string(95, 'y')); }),
              "Unable to append paths");
    EXPECT_NO_THROW(PathUtils::AppendPath("/" + base, std::string(90, 'y')));
}

TEST(GetModulePath, IsTheFolderOfTheRunningProgram) {
    std::string folder = PathUtils::GetModulePath();
    EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").parent_path().string(), folder);
}

TEST(GetAppDataFolder, MakesTivoraInTheDataHome) {
    TempHome home;
    std::filesystem::create_directories(home.DataHome());
    EXPECT_EQ(PathUtils::GetAppDataFolder(), home.DataHome() + "/Tivora");
    EXPECT_TRUE(std::filesystem::is_directory(home.AppDataFolder()));
    EXPECT_EQ(PathUtils::GetAppDataFile("errors.log"), home.DataHome() + "/Tivora/errors.log");
}

TEST(GetAppDataFolder, MakesAMissingDataHomePrivate) {
    TempHome home;
    ASSERT_FALSE(std::filesystem::exists(home.DataHome()));
    mode_t old = umask(0);
    PathUtils::GetAppDataFolder();
    umask(old);
    EXPECT_EQ(testing_support::ModeOf(home.DataHome()), 0700);
}

TEST(GetAppDataFolder, UsesAnExistingFolderUnchanged) {
    TempHome home;
    std::filesystem::create_directories(home.AppDataFolder());
    testing_support::WriteFile(home.AppDataFolder() + "/keep", "data");
    chmod(home.AppDataFolder().c_str(), 0750);
    PathUtils::GetAppDataFolder();
    EXPECT_EQ(testing_support::ModeOf(home.AppDataFolder()), 0750);
    EXPECT_EQ(testing_support::ReadFile(home.AppDataFolder() + "/keep"), "data");
}

TEST(GetAppDataFolder, RelativeXdgDataHomeIsIgnored) {
    TempHome home;
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(PathUtils::GetAppDataFolder(), home.Root() + "/.local/share/Tivora");
}

TEST(GetAppDataFolder, DataHomeThatCannotBeMadeIsReported) {
    TempHome home;
    testing_support::WriteFile(home.Root() + "/file", "");
    setenv("XDG_DATA_HOME", (home.Root() + "/file/data").c_str(), 1);
    EXPECT_EQ(ExceptionText([] { PathUtils::GetAppDataFolder(); }),
              "Unable to find user's applications data path");
}

TEST(GetAppDataFolder, TivoraFolderThatCannotBeMadeIsReported) {
    TempHome home;
    std::filesystem::create_directories(home.DataHome());
    testing_support::WriteFile(home.DataHome() + "/Tivora", "a file in the way");
    EXPECT_EQ(ExceptionText([] { PathUtils::GetAppDataFolder(); }),
              "Unable to create application data path");
}

}  // namespace
