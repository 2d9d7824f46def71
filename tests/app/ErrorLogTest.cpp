#include "app/ErrorLog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <log4cpp/LoggingEvent.hh>
#include <log4cpp/Priority.hh>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "support/TestEnvironment.h"

namespace {

using testing_support::ReadFile;
using testing_support::TempHome;

// Seconds since 1970 for a wall-clock time in the current time zone.
unsigned LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    when.tm_isdst = -1;
    return static_cast<unsigned>(std::mktime(&when));
}

class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            old_ = old;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (old_.empty()) {
            unsetenv("TZ");
        } else {
            setenv("TZ", old_.c_str(), 1);
        }
        tzset();
    }

private:
    std::string old_;
};

log4cpp::LoggingEvent EventAt(unsigned seconds, const std::string& message) {
    log4cpp::LoggingEvent event("ErorCategory", message, "", log4cpp::Priority::ERROR);
    event.timeStamp = log4cpp::TimeStamp(seconds, 123456);
    return event;
}

TEST(ErrorLogLayout, FormatsLocalTimeZeroPaddedThenPriorityAndMessage) {
    ZoneGuard zone("CET-1CEST,M3.5.0,M10.5.0/3");
    ErrorLogLayout layout;
    EXPECT_EQ(layout.format(EventAt(LocalSeconds(2008, 3, 5, 7, 4, 9), "Disk full")),
              "[05:03:2008 07.04.09] ERROR: Disk full\n");
    // Two-digit fields at their largest, in summer time.
    EXPECT_EQ(layout.format(EventAt(LocalSeconds(2019, 12, 31, 23, 59, 58), "x")),
              "[31:12:2019 23.59.58] ERROR: x\n");
}

TEST(ErrorLogLayout, UsesTheLocalZoneNotUtc) {
    ZoneGuard zone("JST-9");
    ErrorLogLayout layout;
    // 2008-03-05 00:30:00 UTC is 09:30 in Japan.
    EXPECT_EQ(layout.format(EventAt(1204677000u, "m")), "[05:03:2008 09.30.00] ERROR: m\n");
}

TEST(ErrorLogLayout, MessageIsNotAFormatString) {
    ErrorLogLayout layout;
    std::string line = layout.format(EventAt(0, "100% %s %d"));
    EXPECT_NE(line.find("] ERROR: 100% %s %d\n"), std::string::npos);
}

// A log line is one line in any viewer: whatever breaks a line is written as an escape, and
// other text stays as it is.
TEST(ErrorLogLayout, LineBreakingCharactersAreEscaped) {
    const struct {
        std::string message;
        std::string written;
    } cases[] = {
        {"a\nb\rc", "a\\x0Ab\\x0Dc"},
        {"tab\there, escape \x1B and delete \x7F", "tab\\x09here, escape \\x1B and delete \\x7F"},
        {"next \xC2\x85 line", "next \\u0085 line"},
        {"line \xE2\x80\xA8 paragraph \xE2\x80\xA9", "line \\u2028 paragraph \\u2029"},
        {"caf\xC3\xA9 \xE4\xB8\xAD \xE2\x80\xA7 \xC2\xA0",
         "caf\xC3\xA9 \xE4\xB8\xAD \xE2\x80\xA7 \xC2\xA0"},
    };
    ErrorLogLayout layout;
    for (const auto& c : cases) {
        const std::string line = layout.format(EventAt(0, c.message));
        EXPECT_EQ(line.substr(line.find("ERROR: ")), "ERROR: " + c.written + "\n");
    }
}

TEST(LogError, WritesOneLinePerCallIntoErrorsLogInTheDataFolder) {
    TempHome home;
    LogError("first");
    LogError("second %s");
    std::string log = ReadFile(home.ErrorLogPath());
    std::regex line(R"(\[\d\d:\d\d:\d{4} \d\d\.\d\d\.\d\d\] ERROR: (first|second %s)\n)");
    auto first = log.substr(0, log.find('\n') + 1);
    auto second = log.substr(first.size());
    EXPECT_TRUE(std::regex_match(first, line)) << first;
    EXPECT_TRUE(std::regex_match(second, line)) << second;
    EXPECT_NE(second.find("second %s"), std::string::npos);
}

TEST(LogError, AppendsToAnExistingLog) {
    TempHome home;
    std::filesystem::create_directories(home.AppDataFolder());
    testing_support::WriteFile(home.ErrorLogPath(), "earlier line\n");
    LogError("new");
    std::string log = ReadFile(home.ErrorLogPath());
    EXPECT_EQ(log.rfind("earlier line\n", 0), 0u);
    EXPECT_NE(log.find("ERROR: new\n"), std::string::npos);
}

TEST(LogError, LogFileIsMadeWithMode0644) {
    TempHome home;
    mode_t old = umask(0);
    LogError("x");
    umask(old);
    EXPECT_EQ(testing_support::ModeOf(home.ErrorLogPath()), 0644);
}

TEST(LogError, RollsPastTenMebibytesToExactlyOneBackup) {
    TempHome home;
    std::filesystem::create_directories(home.AppDataFolder());
    const std::string log = home.ErrorLogPath();
    // A log just below the limit: the next line takes it over and it rolls.
    {
        std::string filler(ErrorLog::kMaxFileSize - 10, 'a');
        filler.back() = '\n';
        testing_support::WriteFile(log, filler);
    }
    LogError("over the limit");
    ASSERT_TRUE(std::filesystem::exists(log + ".1"));
    EXPECT_GE(std::filesystem::file_size(log + ".1"), ErrorLog::kMaxFileSize);
    EXPECT_EQ(std::filesystem::file_size(log), 0u);
    LogError("after the roll");
    EXPECT_NE(ReadFile(log).find("ERROR: after the roll\n"), std::string::npos);

    // Fill again: the backup is replaced, never a second one.
    testing_support::WriteFile(log, std::string(ErrorLog::kMaxFileSize, 'b'));
    LogError("second roll");
    EXPECT_TRUE(std::filesystem::exists(log + ".1"));
    EXPECT_FALSE(std::filesystem::exists(log + ".2"));
    std::string backup = ReadFile(log + ".1");
    EXPECT_EQ(backup.front(), 'b');
    EXPECT_NE(backup.find("ERROR: second roll\n"), std::string::npos);
}

TEST(LogError, SwallowsAMissingDataFolderAndTriesAgainNextTime) {
    TempHome home;
    // A data home below a plain file cannot be made, whoever runs the test.
    testing_support::WriteFile(home.Root() + "/blocker", "");
    setenv("XDG_DATA_HOME", (home.Root() + "/blocker/data").c_str(), 1);
    EXPECT_NO_THROW(LogError("lost"));

    setenv("XDG_DATA_HOME", home.DataHome().c_str(), 1);
    LogError("kept");
    std::string log = ReadFile(home.ErrorLogPath());
    EXPECT_EQ(log.find("lost"), std::string::npos);
    EXPECT_NE(log.find("ERROR: kept\n"), std::string::npos);
}

TEST(LogError, LinesFromTwoThreadsStayWhole) {
    TempHome home;
    constexpr int kLines = 200;
    auto writer = [](char tag) {
        for (int i = 0; i < kLines; ++i) {
            LogError(std::string(50, tag));
        }
    };
    std::thread a(writer, 'a');
    std::thread b(writer, 'b');
    a.join();
    b.join();
    std::istringstream log(ReadFile(home.ErrorLogPath()));
    std::regex whole(R"(\[[^\]]+\] ERROR: (a{50}|b{50}))");
    int lines = 0;
    for (std::string line; std::getline(log, line); ++lines) {
        EXPECT_TRUE(std::regex_match(line, whole)) << line;
    }
    EXPECT_EQ(lines, 2 * kLines);
}

}  // namespace
