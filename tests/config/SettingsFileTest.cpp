#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <future>
#include <set>
#include <thread>

#include "app/ErrorLog.h"
#include "app/Exceptions.h"
#include "config/RegistrationSection.h"
#include "config/RegistryStores.h"
#include "config/SettingsSection.h"
#include "config/UpdateSection.h"
#include "config/WindowSection.h"
#include "platform/os/ProcessObjects.h"
#include "platform/os/Registry.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::Bytes;
using testing_support::ReadFile;
using testing_support::TempHome;
using testing_support::WriteFile;

// A section holding a list of names at version 0, as the favourites do.
class NamesSection : public SettingsSection {
public:
    std::vector<std::string> names;
    int loads = 0;
    std::function<void()> beforeSave;
    void Store(ArchiveWriter& data) override { data.WriteStringList(names); }
    void Load(int version, ArchiveReader& data) override {
        ++loads;
        if (version == 0) {
            names = data.ReadStringList();
        }
    }
    void BeforeSave() override {
        if (beforeSave) {
            beforeSave();
        }
    }
    int GetVersion() const override { return 0; }
};

struct Sections {
    NamesSection names;
    WindowSection window;
    UpdateSection update;
    RegistrationSection registration;
    SettingsStorage storage{{&names, &window, &update, &registration}};
};

std::string SettingsPath(const TempHome& home) {
    return home.AppDataFolder() + "/tivora.sts";
}

TEST(SettingsFile, FreshSaveIsTheNinetyFiveByteLayout) {
    TempHome home;
    Sections sections;
    sections.storage.SaveAll();
    const std::string file = ReadFile(SettingsPath(home));
    EXPECT_EQ(file.size(), 95u);
    EXPECT_EQ(file.substr(0, 8), Bytes({1, 0, 0, 0, 4, 0, 0, 0}));
    EXPECT_EQ(file.substr(8, 14), Bytes({6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(file.substr(22, 32), Bytes({24, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                                          0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(file.substr(54, 21),
              Bytes({13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(file.substr(75, 20),
              Bytes({12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(SettingsFile, EverySectionRoundTrips) {
    TempHome home;
    {
        Sections saved;
        saved.names.names = {"Blackjack", "Zeta"};
        saved.window.left = -120;
        saved.window.top = 900;
        saved.window.sizeMode = WindowSection::kMiniSize;
        saved.window.hidden = 1;
        saved.window.SetAlwaysOnTop(0);
        saved.update.SetUpdateManifest(
            {"9.0.0.0", "42", "Line one\r\nLine two", "http://x.test/", "2030-01-01"});
        saved.registration.registered = 1;
        saved.registration.userInfoSent = 1;
        saved.registration.SetApplicationUid("{0123ABCD-4567-89EF-0123-456789ABCDEF}");
        saved.storage.SaveAll();
    }
    Sections loaded;
    loaded.storage.ReadSettingsFile();
    EXPECT_EQ(loaded.names.names, (std::vector<std::string>{"Blackjack", "Zeta"}));
    EXPECT_EQ(loaded.window.left, -120);
    EXPECT_EQ(loaded.window.top, 900);
    EXPECT_EQ(loaded.window.sizeMode, WindowSection::kMiniSize);
    EXPECT_EQ(loaded.window.hidden, 1);
    EXPECT_EQ(loaded.window.AlwaysOnTop(), 0);
    EXPECT_EQ(
        loaded.update.GetUpdateManifest(),
        (UpdateManifest{"9.0.0.0", "42", "Line one\r\nLine two", "http://x.test/", "2030-01-01"}));
    EXPECT_TRUE(loaded.update.IsUpdateAvailable());
    EXPECT_EQ(loaded.registration.registered, 1);
    EXPECT_EQ(loaded.registration.userInfoSent, 1);
    EXPECT_EQ(loaded.registration.ApplicationUid(), "{0123ABCD-4567-89EF-0123-456789ABCDEF}");
}

TEST(SettingsFile, GuidBytesInTheirFileOrder) {
    TempHome home;
    RegistrationSection section;
    section.SetApplicationUid("{01020304-0506-0708-090A-0B0C0D0E0F10}");
    ArchiveWriter data;
    section.Store(data);
    EXPECT_EQ(data.Bytes(), Bytes({0,  0,  0,  0,  0, 0, 0, 0, 9, 10, 11, 12,
                                   13, 14, 15, 16, 6, 5, 8, 7, 4, 3,  2,  1}));
}

TEST(SettingsFile, RegistrationBlockWithoutGuidLoadsAsNoId) {
    TempHome home;
    RegistrationSection section;
    const std::string block = Bytes({1, 0, 0, 0, 0, 0, 0, 0});
    ArchiveReader data(block);
    EXPECT_NO_THROW(section.Load(0, data));
    EXPECT_EQ(section.registered, 1);
    EXPECT_EQ(section.ApplicationUid(), "");
    // A GUID cut short is a broken block.
    const std::string cut = Bytes({1, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3});
    ArchiveReader cutData(cut);
    EXPECT_THROW(section.Load(0, cutData), ArchiveException);
}

TEST(SettingsFile, GuidWithAZeroPartIsNoId) {
    TempHome home;
    for (const std::string& guid : {Bytes({1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 1, 0, 1, 0, 0, 0}),
                                    Bytes({1, 2, 3, 4, 5, 6, 7, 8, 1, 0, 0, 0, 1, 0, 0, 0}),
                                    Bytes({1, 2, 3, 4, 5, 6, 7, 8, 1, 0, 1, 0, 0, 0, 0, 0})}) {
        RegistrationSection section;
        const std::string block = Bytes({0, 0, 0, 0, 0, 0, 0, 0}) + guid;
        ArchiveReader data(block);
        section.Load(0, data);
        EXPECT_EQ(section.ApplicationUid(), "");
    }
    // With every part set the same bytes are an id.
    RegistrationSection section;
    const std::string block =
        Bytes({0, 0, 0, 0, 0, 0, 0, 0}) + Bytes({1, 2, 3, 4, 5, 6, 7, 8, 1, 0, 1, 0, 1, 0, 0, 0});
    ArchiveReader data(block);
    section.Load(0, data);
    EXPECT_EQ(section.ApplicationUid(), "{00000001-0001-0001-0102-030405060708}");
}

TEST(SettingsFile, WrongFileVersionFailsTheLoadAndSwitchesAutostartOn) {
    TempHome home;
    std::filesystem::create_directories(home.AppDataFolder());
    WriteFile(SettingsPath(home), Bytes({2, 0, 0, 0, 4, 0, 0, 0}));
    Sections sections;
    try {
        sections.storage.ReadSettingsFile();
        ADD_FAILURE() << "no exception";
    } catch (const ConfigurationException& error) {
        EXPECT_EQ(error.GetMessage(), "Wrong settings file version");
    }
    sections.storage.LoadAll();
    const std::string log = ReadFile(home.ErrorLogPath());
    EXPECT_NE(log.find("ERROR: Unable to load settings file\n"), std::string::npos);
    EXPECT_TRUE(GetRunAtStartup());
}

TEST(SettingsFile, MissingFileIsAFirstRun) {
    TempHome home;
    Sections sections;
    sections.storage.LoadAll();
    EXPECT_NE(ReadFile(home.ErrorLogPath()).find("ERROR: Unable to load settings file\n"),
              std::string::npos);
    EXPECT_EQ(sections.window.AlwaysOnTop(), 1);
    EXPECT_TRUE(GetRunAtStartup());
}

TEST(SettingsFile, GoodFileLeavesAutostartAlone) {
    TempHome home;
    Sections().storage.SaveAll();
    SetRunAtStartup(false);
    Sections sections;
    sections.storage.LoadAll();
    EXPECT_FALSE(GetRunAtStartup());
    EXPECT_FALSE(testing_support::FileExists(home.ErrorLogPath()));
}

// A file whose window block has version 0: skipped, the rest read.
TEST(SettingsFile, WindowBlockOfAnotherVersionIsSkipped) {
    TempHome home;
    ArchiveWriter file;
    file.WriteInt32(1);
    file.WriteInt32(4);
    ArchiveWriter names;
    names.WriteInt32(0);
    names.WriteStringList({"Keno"});
    ArchiveWriter window;
    window.WriteInt32(0);
    for (int v : {5, 6, 1, 1, 0}) {
        window.WriteInt32(v);
    }
    ArchiveWriter update;
    update.WriteInt32(0);
    update.WriteInt32(0);
    for (int i = 0; i < 5; ++i) {
        update.WriteString("");
    }
    ArchiveWriter registration;
    registration.WriteInt32(0);
    registration.WriteInt32(1);
    registration.WriteInt32(0);
    for (const ArchiveWriter* block : {&names, &window, &update, &registration}) {
        file.WriteUInt64(block->Bytes().size());
        file.WriteBytes(block->Bytes());
    }
    std::filesystem::create_directories(home.AppDataFolder());
    WriteFile(SettingsPath(home), file.Bytes());

    Sections sections;
    sections.storage.ReadSettingsFile();
    EXPECT_EQ(sections.window.left, 0);
    EXPECT_EQ(sections.window.sizeMode, 0);
    EXPECT_EQ(sections.window.AlwaysOnTop(), 1);
    EXPECT_EQ(sections.names.names, (std::vector<std::string>{"Keno"}));
    EXPECT_EQ(sections.registration.registered, 1);
}

TEST(SettingsFile, ExtraBlocksAreIgnored) {
    TempHome home;
    {
        Sections saved;
        saved.names.names = {"A"};
        saved.storage.SaveAll();
    }
    std::string file = ReadFile(SettingsPath(home));
    file[4] = 6;  // six blocks announced
    for (int i = 0; i < 2; ++i) {
        file += Bytes({6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    }
    WriteFile(SettingsPath(home), file);
    Sections sections;
    EXPECT_NO_THROW(sections.storage.ReadSettingsFile());
    EXPECT_EQ(sections.names.loads, 1);
    EXPECT_EQ(sections.names.names, (std::vector<std::string>{"A"}));
}

TEST(SettingsFile, TruncatedFileFailsButEarlierSectionsKeepWhatTheyRead) {
    TempHome home;
    {
        Sections saved;
        saved.names.names = {"Kept"};
        saved.window.left = 77;
        saved.registration.registered = 1;
        saved.storage.SaveAll();
    }
    std::string file = ReadFile(SettingsPath(home));
    // Cut inside the update block.
    WriteFile(SettingsPath(home), file.substr(0, 60));
    Sections sections;
    EXPECT_THROW(sections.storage.ReadSettingsFile(), ArchiveException);
    EXPECT_EQ(sections.names.names, (std::vector<std::string>{"Kept"}));
    EXPECT_EQ(sections.window.left, 77);
    EXPECT_EQ(sections.registration.registered, 0);
    // A block length beyond the file, even a huge one, is a clean failure.
    std::string huge = file;
    huge[8] = static_cast<char>(0xFF);
    huge[9] = static_cast<char>(0xFF);
    huge[10] = static_cast<char>(0xFF);
    huge[11] = static_cast<char>(0xFF);
    WriteFile(SettingsPath(home), huge);
    Sections again;
    EXPECT_THROW(again.storage.ReadSettingsFile(), ArchiveException);
}

TEST(SettingsFile, SaveRequestedDuringASaveIsDropped) {
    TempHome home;
    Sections sections;
    int nestedSaves = 0;
    sections.names.beforeSave = [&] {
        ++nestedSaves;
        sections.registration.RequestSave();  // while the save runs
    };
    testing_support::TraceRecorder traces;
    sections.names.RequestSave();
    EXPECT_EQ(nestedSaves, 1);
    auto texts = traces.Texts();
    EXPECT_EQ(std::count_if(
                  texts.begin(), texts.end(),
                  [](const std::string& t) { return t.rfind("Saving settings file to ", 0) == 0; }),
              1);
    // Once done, the next request saves again.
    sections.names.RequestSave();
    EXPECT_EQ(nestedSaves, 2);
}

TEST(SettingsFile, CrashBeforeTheNewFileReplacesTheOldLeavesTheOldLoadable) {
    TempHome home;
    {
        Sections first;
        first.names.names = {"Old"};
        first.storage.SaveAll();
    }
    const std::string before = ReadFile(SettingsPath(home));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Sections second;
        second.names.names = {"New", "Names"};
        second.storage.SetBeforeReplaceHook([](const std::string&) { _exit(3); });
        second.storage.SaveAll();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);  // the child died mid-save
    EXPECT_EQ(ReadFile(SettingsPath(home)), before);
    Sections loaded;
    loaded.storage.ReadSettingsFile();
    EXPECT_EQ(loaded.names.names, (std::vector<std::string>{"Old"}));
}

TEST(SettingsFile, FailedWriteIsLoggedAndCustomDataStillSaved) {
    TempHome home;
    Sections sections;
    // A folder where the file should be: the rename cannot replace it.
    std::filesystem::create_directories(SettingsPath(home) + "/in-the-way");
    sections.registration.SetUserInfo("Ann", "ann@example.test");
    sections.storage.SaveAll();
    EXPECT_NE(ReadFile(home.ErrorLogPath()).find("ERROR: Unable to save settings file\n"),
              std::string::npos);
    // No temporary file is left behind.
    std::set<std::string> entries;
    for (const auto& entry : std::filesystem::directory_iterator(home.AppDataFolder())) {
        entries.insert(entry.path().filename().string());
    }
    EXPECT_EQ(entries, (std::set<std::string>{"errors.log", "tivora.sts"}));
    RegistrationSection reread;
    reread.LoadCustomData();
    EXPECT_EQ(reread.GetUserInfo().fullName, "Ann");
}

TEST(SettingsFile, DataFolderThatCannotBeMadeIsLoggedAndCountsAsLoaded) {
    TempHome home;
    WriteFile(home.Root() + "/file", "");
    setenv("XDG_DATA_HOME", (home.Root() + "/file/data").c_str(), 1);
    Sections sections;
    sections.storage.LoadAll();
    // The log cannot be written either; what matters is that the window section saw a load.
    EXPECT_FALSE(GetRunAtStartup());
}

namespace outside_files {

// Runs read on a thread. A read that has not come back within the bound is stuck opening or
// reading the FIFO at fifo: opening that FIFO both ways lets it through (and the close that
// follows ends its read), so that the test reports the hang instead of hanging itself.
bool ReturnsWithoutWaiting(const std::function<void()>& read, const std::string& fifo) {
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread reader([&] {
        read();
        done.set_value();
    });
    const bool inTime = finished.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    while (finished.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        int fd = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        if (fd >= 0) {
            close(fd);
        }
    }
    reader.join();
    return inTime;
}

std::string Log(const TempHome& home) {
    return testing_support::FileExists(home.ErrorLogPath()) ? ReadFile(home.ErrorLogPath()) : "";
}

TEST(OutsideFiles, FifoFolderOrDeviceInPlaceOfAFileIsRefusedWithoutWaiting) {
    // A writer whose FIFO lost its reader would otherwise be killed by SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    const struct {
        const char* name;
        std::function<std::string(const TempHome&)> path;
        std::function<void()> read;
        std::function<void(const TempHome&)> check;
    } files[] = {
        {"settings file", [](const TempHome& h) { return SettingsPath(h); },
         [] { Sections().storage.LoadAll(); },
         [](const TempHome& h) {
             EXPECT_NE(Log(h).find("ERROR: Unable to load settings file\n"), std::string::npos);
         }},
        {"error log", [](const TempHome& h) { return h.ErrorLogPath(); },
         [] { LogError("a line"); }, [](const TempHome&) {}},
        {"user hive", [](const TempHome& h) { return h.ConfigHome() + "/tivora/registry.ini"; },
         [] {
             auto key = Registry::Key::Open(Registry::Hive::CurrentUser, "Software");
             ASSERT_TRUE(key);
             EXPECT_EQ(key->QueryString("value"), std::nullopt);
             EXPECT_FALSE(key->SetString("value", "text"));
         },
         [](const TempHome&) {}},
        {"autostart entry",
         [](const TempHome& h) { return h.ConfigHome() + "/autostart/Tivora.desktop"; },
         [] { EXPECT_FALSE(GetRunAtStartup()); }, [](const TempHome&) {}},
    };
    enum class Intruder { Fifo, Folder, Device };
    for (const auto& file : files) {
        for (Intruder intruder : {Intruder::Fifo, Intruder::Folder, Intruder::Device}) {
            SCOPED_TRACE(std::string(file.name) + " as intruder " +
                         std::to_string(static_cast<int>(intruder)));
            TempHome home;
            const std::string path = file.path(home);
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            if (intruder == Intruder::Fifo) {
                ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
            } else if (intruder == Intruder::Folder) {
                std::filesystem::create_directory(path);
            } else if (geteuid() == 0) {
                // A null device of the test's own: a regression that writes through a link
                // as root must not replace the system's /dev/null.
                ASSERT_EQ(mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
            } else {
                std::filesystem::create_symlink("/dev/null", path);
            }
            EXPECT_TRUE(ReturnsWithoutWaiting(file.read, path));
            file.check(home);
            ProcessObjects::DestroyAll();  // the log, made for this home, goes with it
        }
    }
}

TEST(OutsideFiles, OversizedSettingsFileIsRefusedBeforeItIsRead) {
    TempHome home;
    {
        Sections saved;
        saved.names.names = {"Kept"};
        saved.storage.SaveAll();
    }
    // A good file grown past any real size: its blocks would still read.
    std::filesystem::resize_file(SettingsPath(home), SettingsStorage::kMaxFileSize + 1);
    Sections sections;
    sections.storage.LoadAll();
    EXPECT_TRUE(sections.names.names.empty());
    EXPECT_NE(Log(home).find("ERROR: Unable to load settings file\n"), std::string::npos);
}

std::vector<std::string> SavedNames(const std::string& path) {
    Sections loaded;
    loaded.storage.ReadSettingsData(ReadFile(path));
    return loaded.names.names;
}

TEST(OutsideFiles, SaveKeepsWhatTheUserDecidedAboutTheFile) {
    using std::filesystem::perms;
    const struct {
        const char* name;
        // Prepares the settings file; returns the file the content must end up in.
        std::function<std::string(const TempHome&)> setup;
        bool saved;
    } cases[] = {
        {"private file stays private",
         [](const TempHome& h) {
             WriteFile(SettingsPath(h), "old");
             std::filesystem::permissions(SettingsPath(h), perms::owner_read | perms::owner_write);
             return SettingsPath(h);
         },
         true},
        {"read-only file is left alone",
         [](const TempHome& h) {
             WriteFile(SettingsPath(h), "old");
             std::filesystem::permissions(SettingsPath(h), perms::owner_read | perms::group_read);
             return SettingsPath(h);
         },
         false},
        {"symlink is written through",
         [](const TempHome& h) {
             const std::string target = h.Root() + "/elsewhere.sts";
             WriteFile(target, "old");
             std::filesystem::create_symlink(target, SettingsPath(h));
             return target;
         },
         true},
        {"no room for a name beside it: rewritten in place",
         [](const TempHome& h) {
             // Appending the temporary suffix makes the name longer than a name may be.
             const std::string target = h.Root() + "/" + std::string(250, 'n');
             WriteFile(target, "old");
             std::filesystem::create_symlink(target, SettingsPath(h));
             return target;
         },
         true},
        {"read-only folder: rewritten in place",
         [](const TempHome& h) {
             WriteFile(SettingsPath(h), "old");
             std::filesystem::permissions(h.AppDataFolder(), perms::owner_read | perms::owner_exec);
             return SettingsPath(h);
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempHome home;
        std::filesystem::create_directories(home.AppDataFolder());
        std::filesystem::permissions(home.AppDataFolder(), perms::all);
        WriteFile(home.ErrorLogPath(), "");  // the folder may not take a new file later
        const std::string written = c.setup(home);
        const perms mode = std::filesystem::status(written).permissions();
        {
            Sections sections;
            sections.names.names = {"New"};
            sections.storage.SaveAll();
        }
        if (c.saved) {
            EXPECT_EQ(SavedNames(written), std::vector<std::string>{"New"});
        } else {
            EXPECT_EQ(ReadFile(written), "old");
            EXPECT_NE(Log(home).find("ERROR: Unable to save settings file\n"), std::string::npos);
        }
        EXPECT_EQ(std::filesystem::status(written).permissions(), mode);
        EXPECT_EQ(std::filesystem::is_symlink(SettingsPath(home)), written != SettingsPath(home));
        std::filesystem::permissions(home.AppDataFolder(), perms::owner_all);
        ProcessObjects::DestroyAll();
    }
}

TEST(OutsideFiles, OversizedHiveIsRefusedAndNeverWrittenOver) {
    TempHome home;
    {
        RegistrationSection saved;
        saved.SetUserInfo("Ann", "ann@example.test");
        saved.SaveCustomData();
    }
    const std::string hive = *Registry::HiveFile(Registry::Hive::CurrentUser);
    std::filesystem::resize_file(hive, Registry::kMaxHiveSize + 1);
    const std::string before = ReadFile(hive);
    RegistrationSection section;
    section.LoadCustomData();
    EXPECT_TRUE(section.IsUserInfoEmpty());
    EXPECT_NE(Log(home).find("ERROR: Unable to load registry: " + hive + " is larger than"),
              std::string::npos);
    section.SetUserInfo("Bob", "bob@example.test");
    section.SaveCustomData();
    EXPECT_TRUE(ReadFile(hive) == before);
}

// Copies of the file that the user made beside it, whatever their names, outlast every save;
// nothing else is left beside it.
TEST(OutsideFiles, SaveLeavesTheUsersFilesBesideItAlone) {
    const struct {
        const char* name;
        // The file the program saves to, and the one its content ends up in.
        std::function<std::string(const TempHome&)> path;
        std::function<std::string(const TempHome&)> written;
        std::function<void()> save;
    } files[] = {
        {"settings file", [](const TempHome& h) { return SettingsPath(h); },
         [](const TempHome& h) { return SettingsPath(h); }, [] { Sections().storage.SaveAll(); }},
        {"settings file through a symlink", [](const TempHome& h) { return SettingsPath(h); },
         [](const TempHome& h) { return h.Root() + "/sync/tivora.sts"; },
         [] { Sections().storage.SaveAll(); }},
        {"user hive", [](const TempHome& h) { return h.ConfigHome() + "/tivora/registry.ini"; },
         [](const TempHome& h) { return h.ConfigHome() + "/tivora/registry.ini"; },
         [] {
             auto key = Registry::Key::CreateForWriting(Registry::Hive::CurrentUser, "Software\\X");
             ASSERT_TRUE(key);
             EXPECT_TRUE(key->SetString("value", "text"));
             EXPECT_TRUE(key->DeleteValue("value"));
         }},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        TempHome home;
        const std::string path = file.path(home);
        const std::string written = file.written(home);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::filesystem::create_directories(std::filesystem::path(written).parent_path());
        if (written != path) {
            WriteFile(written, "");
            std::filesystem::create_symlink(written, path);
        }
        for (const char* suffix : {".backup", ".2024v1", ".old123", ".a1B2c3", ".bak"}) {
            WriteFile(written + suffix, "the user's");
        }
        const auto folder = std::filesystem::path(written).parent_path();
        auto entries = [&] {
            std::set<std::string> names;
            for (const auto& entry : std::filesystem::directory_iterator(folder)) {
                names.insert(entry.path().filename().string());
            }
            names.insert(std::filesystem::path(written).filename().string());
            names.erase("errors.log");
            return names;
        };
        const std::set<std::string> before = entries();
        file.save();
        file.save();
        EXPECT_EQ(entries(), before);
        EXPECT_EQ(ReadFile(written + ".backup"), "the user's");
    }
}

// A save that died left its temporary file, which the next run removes; a save still under way
// in another process keeps its own.
TEST(OutsideFiles, OnlyTheTemporaryFileOfAnEndedSaveIsRemoved) {
    TempHome home;
    auto save = [](const char* name, const std::function<void(const std::string&)>& beforeReplace) {
        Sections sections;
        sections.names.names = {name};
        sections.storage.SetBeforeReplaceHook(beforeReplace);
        sections.storage.SaveAll();
    };
    auto inChild = [](const std::function<void()>& body) {
        const pid_t child = fork();
        if (child == 0) {
            body();
            _exit(0);
        }
        return child;
    };
    auto exitCode = [](pid_t child) {
        int status = 0;
        return waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    // Left by an earlier run: older than any process now running.
    auto makeOld = [](const std::string& file) {
        const timespec anHourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), anHourAgo, 0), 0);
    };
    auto others = [&] {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(home.AppDataFolder())) {
            names.insert(entry.path().string());
        }
        names.erase(SettingsPath(home));
        names.erase(home.ErrorLogPath());
        return names;
    };
    save("First", {});

    ASSERT_EQ(exitCode(inChild([&] { save("Crashed", [](const std::string&) { _exit(3); }); })), 3);
    ASSERT_EQ(others().size(), 1u);
    const std::string crashed = *others().begin();
    makeOld(crashed);

    int ready[2];
    int go[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(go), 0);
    const pid_t inFlight = inChild([&] {
        save("In flight", [&](const std::string& temporary) {
            makeOld(temporary);
            char byte = 0;
            if (write(ready[1], "r", 1) != 1 || read(go[0], &byte, 1) != 1) {
                _exit(4);
            }
        });
    });
    close(ready[1]);
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);

    EXPECT_EQ(exitCode(inChild([&] { save("Later", {}); })), 0);
    const std::set<std::string> left = others();
    EXPECT_EQ(left.count(crashed), 0u);
    EXPECT_EQ(left.size(), 1u);

    ASSERT_EQ(write(go[1], "g", 1), 1);
    EXPECT_EQ(exitCode(inFlight), 0);
    close(ready[0]);
    close(go[0]);
    close(go[1]);
    EXPECT_EQ(SavedNames(SettingsPath(home)), std::vector<std::string>{"In flight"});
    EXPECT_TRUE(others().empty());
    EXPECT_EQ(Log(home).find("Unable to save settings file"), std::string::npos);
}

}  // namespace outside_files

}  // namespace
