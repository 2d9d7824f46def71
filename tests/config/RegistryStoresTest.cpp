#include "config/RegistryStores.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <filesystem>
#include <functional>
#include <regex>

#include "config/RegistrationSection.h"
#include "platform/os/DesktopEntry.h"
#include "platform/os/Registry.h"
#include "platform/os/SystemPaths.h"
#include "support/TestEnvironment.h"

namespace {

using Registry::Hive;
using testing_support::ReadFile;
using testing_support::TempHome;
using testing_support::TraceRecorder;

const std::string kUidKey =
    std::string(RegistryStores::kUidKey) + "\\" + RegistryStores::kUidSubkey;

void PutUid(Hive hive, const std::string& uid) {
    auto key = Registry::Key::CreateForWriting(hive, kUidKey);
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetString(RegistryStores::kUidValue, uid));
}

std::optional<std::string> UidIn(Hive hive) {
    auto key = Registry::Key::Open(hive, kUidKey);
    return key ? key->QueryString(RegistryStores::kUidValue) : std::nullopt;
}

std::string AutostartEntry(const TempHome& home) {
    return home.ConfigHome() + "/autostart/Tivora.desktop";
}

TEST(RunAtStartup, OffWithoutAnEntryAndNoErrorLine) {
    TempHome home;
    EXPECT_FALSE(GetRunAtStartup());
    TraceRecorder traces;
    SetRunAtStartup(false);
    EXPECT_TRUE(traces.Contains("Unable to delete 'RunAtStartup' value"));
    EXPECT_FALSE(testing_support::FileExists(home.ErrorLogPath()));
}

TEST(RunAtStartup, OnWritesAnAutostartEntryNamingThisProgram) {
    TempHome home;
    SetRunAtStartup(true);
    EXPECT_TRUE(GetRunAtStartup());
    const std::string entry = ReadFile(AutostartEntry(home));
    EXPECT_NE(entry.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(entry.find("Type=Application\n"), std::string::npos);
    EXPECT_EQ(DesktopEntry::ProgramOfEntry(entry), SystemPaths::ExecutablePath());
    SetRunAtStartup(false);
    EXPECT_FALSE(GetRunAtStartup());
    EXPECT_FALSE(testing_support::FileExists(AutostartEntry(home)));
}

TEST(RunAtStartup, SameProgramInOtherLetterCaseReadsAsOff) {
    TempHome home;
    std::string path = *SystemPaths::ExecutablePath();
    std::string upper = path;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    ASSERT_NE(upper, path);
    std::filesystem::create_directories(home.ConfigHome() + "/autostart");
    testing_support::WriteFile(AutostartEntry(home),
                               DesktopEntry::MakeAutostartEntry("Tivora", upper));
    EXPECT_FALSE(GetRunAtStartup());
}

TEST(RunAtStartup, EntrySwitchedOffByTheDesktopReadsAsOff) {
    TempHome home;
    SetRunAtStartup(true);
    std::string entry = ReadFile(AutostartEntry(home));
    testing_support::WriteFile(AutostartEntry(home), entry + "Hidden=true\n");
    EXPECT_FALSE(GetRunAtStartup());
}

TEST(RunAtStartup, FailureToWriteIsAnErrorLineNotSuccess) {
    TempHome home;
    // A plain file where the autostart folder belongs.
    std::filesystem::create_directories(home.ConfigHome());
    testing_support::WriteFile(home.ConfigHome() + "/autostart", "");
    SetRunAtStartup(true);
    EXPECT_FALSE(GetRunAtStartup());
    EXPECT_NE(ReadFile(home.ErrorLogPath())
                  .find("ERROR: Unable to open registry key to change 'RunAtStartup' value\n"),
              std::string::npos);
}

// A package upgrade replaces the program's file while it runs: the running program still has
// its path, where the new file lies, and the setting made then reads back as on.
TEST(RunAtStartup, ProgramWhoseFileWasReplacedKeepsItsPath) {
    const struct {
        const char* name;
        bool replaced;
    } cases[] = {{"tivora", true}, {"tivora (deleted)", false}, {"tivora (deleted)", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.replaced ? ", replaced" : ""));
        TempHome home;
        const std::string program = home.Root() + "/bin/" + c.name;
        std::filesystem::create_directories(home.Root() + "/bin");
        std::filesystem::copy_file(RUN_AT_STARTUP_PROBE, program);
        QProcess probe;
        probe.start(QString::fromStdString(program), {});
        ASSERT_TRUE(probe.waitForReadyRead(10000));
        if (c.replaced) {
            std::filesystem::copy_file(RUN_AT_STARTUP_PROBE, program + ".new");
            std::filesystem::rename(program + ".new", program);
        }
        probe.write("\n");
        ASSERT_TRUE(probe.waitForFinished(10000));
        const QStringList lines = QString::fromUtf8(probe.readAllStandardOutput()).split('\n');
        ASSERT_GE(lines.size(), 3);
        EXPECT_EQ(lines[1].toStdString(), program);
        EXPECT_EQ(lines[2], "on");
        EXPECT_EQ(DesktopEntry::ProgramOfEntry(ReadFile(AutostartEntry(home))), program);
    }
}

// Whether switching worked is decided where the entry is written, with the reason when not:
// a failure is never reported as done, nor a success as a failure.
TEST(RunAtStartup, SaysWhetherTheSwitchWorkedAndWhyNot) {
    struct Case {
        const char* name;
        std::function<void(const TempHome&)> arrange;
        bool enable;
        bool done;
        std::string why;  // a part of the reason; empty when there is none
    };
    const auto fileForFolder = [](const TempHome& home) {
        std::filesystem::create_directories(home.ConfigHome());
        testing_support::WriteFile(home.ConfigHome() + "/autostart", "");
    };
    const auto folderForEntry = [](const TempHome& home) {
        std::filesystem::create_directories(AutostartEntry(home) + "/inside");
    };
    const std::vector<Case> cases{
        {"on", [](const TempHome&) {}, true, true, ""},
        {"off, never on", [](const TempHome&) {}, false, true, ""},
        {"on, a file where the folder belongs", fileForFolder, true, false,
         "/autostart is not a folder"},
        {"on, a folder where the entry belongs", folderForEntry, true, false,
         "is not a regular file"},
        {"off, a folder where the entry belongs", folderForEntry, false, false,
         "Directory not empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        c.arrange(home);
        const RunAtStartupResult result = SetRunAtStartup(c.enable);
        EXPECT_EQ(result.done, c.done);
        if (c.why.empty()) {
            EXPECT_EQ(result.why, "");
        } else {
            EXPECT_NE(result.why.find(c.why), std::string::npos) << result.why;
        }
        EXPECT_EQ(GetRunAtStartup(), c.enable && c.done);
    }
}

TEST(DesktopEntryExec, AnyPathSurvivesQuotingAndReading) {
    for (const std::string& path :
         {std::string("/usr/bin/tivora"), std::string("/opt/My Games/tivora"),
          std::string("/tmp/a\"b`c$d\\e%f;g'h/tivora"), std::string("/tmp/%%u/tivora")}) {
        const std::string exec = DesktopEntry::QuoteExec(path);
        EXPECT_EQ(exec.front(), '"') << exec;
        EXPECT_EQ(DesktopEntry::ProgramOfExec(exec), path) << exec;
    }
    EXPECT_EQ(DesktopEntry::QuoteExec("/a b/c\\d"), "\"/a b/c\\\\\\\\d\"");
    EXPECT_EQ(DesktopEntry::QuoteExec("/100%"), "\"/100%%\"");
}

TEST(DesktopEntryExec, ReadsEntriesWrittenByOthers) {
    EXPECT_EQ(DesktopEntry::ProgramOfExec("/usr/bin/tivora --minimized"), "/usr/bin/tivora");
    EXPECT_EQ(DesktopEntry::ProgramOfExec("\"/usr/bin/my app\" %u"), "/usr/bin/my app");
    EXPECT_EQ(DesktopEntry::ProgramOfExec("\"/unterminated"), std::nullopt);
    EXPECT_EQ(DesktopEntry::ProgramOfExec(""), std::nullopt);
    EXPECT_EQ(DesktopEntry::ProgramOfEntry("[Other]\nExec=/x\n"), std::nullopt);
    EXPECT_EQ(
        DesktopEntry::ProgramOfEntry("[Desktop Entry]\nExec=/x\n[Desktop Action a]\nExec=/y\n"),
        "/x");
}

TEST(UniqueId, CreatedInRegistryFormUpperCase) {
    TempHome home;
    RegistrationSection section;
    ASSERT_TRUE(section.CreateApplicationUid());
    EXPECT_TRUE(std::regex_match(
        section.ApplicationUid(),
        std::regex(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")));
    const std::string first = section.ApplicationUid();
    section.CreateApplicationUid();
    EXPECT_NE(section.ApplicationUid(), first);
}

TEST(UniqueId, MachineCopyIsPreferredAndTheUserCopyOverwrittenAtTheNextSave) {
    TempHome home;
    PutUid(Hive::LocalMachine, "{11111111-1111-1111-1111-111111111111}");
    PutUid(Hive::CurrentUser, "{22222222-2222-2222-2222-222222222222}");
    RegistrationSection section;
    EXPECT_FALSE(section.LoadUidFromRegistry());  // the user's copy disagreed
    EXPECT_EQ(section.ApplicationUid(), "{11111111-1111-1111-1111-111111111111}");
    EXPECT_TRUE(section.StoreUidInRegistry());
    EXPECT_EQ(UidIn(Hive::CurrentUser), "{11111111-1111-1111-1111-111111111111}");
}

TEST(UniqueId, IdFromTheSettingsFileWinsOverBothHives) {
    TempHome home;
    PutUid(Hive::LocalMachine, "{11111111-1111-1111-1111-111111111111}");
    PutUid(Hive::CurrentUser, "{22222222-2222-2222-2222-222222222222}");
    RegistrationSection section;
    section.SetApplicationUid("{33333333-3333-3333-3333-333333333333}");
    section.LoadCustomData();
    EXPECT_EQ(section.ApplicationUid(), "{33333333-3333-3333-3333-333333333333}");
    section.SaveCustomData();
    EXPECT_EQ(UidIn(Hive::LocalMachine), "{33333333-3333-3333-3333-333333333333}");
    EXPECT_EQ(UidIn(Hive::CurrentUser), "{33333333-3333-3333-3333-333333333333}");
}

TEST(UniqueId, EmptyIdIsWrittenToBothHives) {
    TempHome home;
    RegistrationSection section;
    EXPECT_TRUE(section.StoreUidInRegistry());
    EXPECT_EQ(UidIn(Hive::LocalMachine), "");
    EXPECT_EQ(UidIn(Hive::CurrentUser), "");
    // Both read back and agree with the empty id.
    EXPECT_TRUE(section.LoadUidFromRegistry());
}

TEST(UniqueId, UnwritableMachineHiveLeavesTheUserCopyAlone) {
    TempHome home;
    // A plain file where the machine's folder would be: no one can write that hive.
    testing_support::WriteFile(home.SystemConfigDir(), "");
    RegistrationSection section;
    section.SetApplicationUid("{44444444-4444-4444-4444-444444444444}");
    TraceRecorder traces;
    EXPECT_TRUE(section.StoreUidInRegistry());
    EXPECT_TRUE(traces.Contains("Unable to create registry key"));
    EXPECT_EQ(UidIn(Hive::CurrentUser), "{44444444-4444-4444-4444-444444444444}");
}

TEST(UniqueId, MissingKeysAreTracedNotFatal) {
    TempHome home;
    TraceRecorder traces;
    RegistrationSection section;
    EXPECT_FALSE(section.LoadUidFromRegistry());
    EXPECT_TRUE(traces.Contains("Unable to open registry key to load registration info"));
    EXPECT_EQ(section.ApplicationUid(), "");
}

TEST(UserInfo, StoredInTheApplicationProfile) {
    TempHome home;
    RegistrationSection section;
    section.SetUserInfo("Ann Smith", "ann@example.test");
    section.SaveCustomData();
    auto profile = Registry::Key::Open(Hive::CurrentUser,
                                       "Software\\Nuvexa\\config_settings_tests\\Settings\\"
                                       "RegistrationInfo");
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->QueryString("FullName"), "Ann Smith");
    EXPECT_EQ(profile->QueryString("Email"), "ann@example.test");
    EXPECT_EQ(profile->QueryString("Registration"), "1");
    RegistrationSection reread;
    reread.LoadCustomData();
    EXPECT_EQ(reread.GetUserInfo().fullName, "Ann Smith");
    EXPECT_EQ(reread.GetUserInfo().email, "ann@example.test");
    EXPECT_FALSE(reread.IsUserInfoEmpty());
}

TEST(RegistryKeys, ValuesLongerThanTheBufferAreNotRead) {
    TempHome home;
    auto key = Registry::Key::CreateForWriting(Hive::CurrentUser, "Software\\Test");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetString("v", std::string(259, 'x')));
    ASSERT_TRUE(key->SetString("w", std::string(260, 'x')));
    EXPECT_EQ(key->QueryString("v")->size(), 259u);
    EXPECT_EQ(key->QueryString("w"), std::nullopt);
    EXPECT_EQ(key->QueryString("missing"), std::nullopt);
    EXPECT_FALSE(key->DeleteValue("missing"));
    EXPECT_TRUE(key->DeleteValue("v"));
    EXPECT_EQ(key->QueryString("v"), std::nullopt);
}

TEST(RegistryKeys, KeyNamesIgnoreLetterCaseAndSlashesStayInNames) {
    TempHome home;
    auto key = Registry::Key::CreateForWriting(Hive::CurrentUser, "Software\\A/B\\Key");
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->SetString("name/with/slashes", "v"));
    auto again = Registry::Key::Open(Hive::CurrentUser, "software\\a/b\\KEY");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->QueryString("name/with/slashes"), "v");
    EXPECT_FALSE(Registry::Key::Open(Hive::CurrentUser, "Software\\A"));
    EXPECT_FALSE(Registry::Key::Open(Hive::CurrentUser, "Software\\Nothing"));
}

// Reads parse a hive again only when its bytes changed; a change by another writer, even one
// of the same size within the same clock tick, is read at once.
TEST(RegistryKeys, ChangeByAnotherWriterIsReadAtOnce) {
    TempHome home;
    const std::string hive = home.ConfigHome() + "/tivora/registry.ini";
    std::filesystem::create_directories(home.ConfigHome() + "/tivora");
    for (const char* value : {"1", "2", "3"}) {
        testing_support::WriteFile(hive, std::string("[software]\ntest\\v=") + value + "\n");
        auto key = Registry::Key::Open(Hive::CurrentUser, "Software\\Test");
        ASSERT_TRUE(key) << value;
        EXPECT_EQ(key->QueryString("v"), value);
    }
    testing_support::WriteFile(hive, "[software]\nother\\v=3\n");
    EXPECT_FALSE(Registry::Key::Open(Hive::CurrentUser, "Software\\Test"));
    std::filesystem::remove(hive);
    EXPECT_FALSE(Registry::Key::Open(Hive::CurrentUser, "Software\\Other"));
}

TEST(RegistryKeys, HivesLiveInTheXdgConfigFolders) {
    TempHome home;
    EXPECT_EQ(Registry::HiveFile(Hive::CurrentUser), home.ConfigHome() + "/tivora/registry.ini");
    EXPECT_EQ(Registry::HiveFile(Hive::LocalMachine),
              home.SystemConfigDir() + "/tivora/registry.ini");
    setenv("XDG_CONFIG_DIRS", (home.Root() + "/first:/etc/xdg").c_str(), 1);
    EXPECT_EQ(Registry::HiveFile(Hive::LocalMachine), home.Root() + "/first/tivora/registry.ini");
}

}  // namespace
