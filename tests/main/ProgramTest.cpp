// The whole program in real processes: the settings it leaves behind, the registration it
// sends, and what a broken games configuration does to the start.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "ConfigFixtures.h"
#include "platform/os/DesktopEntry.h"
#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"

namespace {

using testing_support::Bytes;
using testing_support::ReadFile;
using testing_support::TempHome;
using testing_support::TestHttpServer;
using testing_support::WaitFor;

// A program folder of its own: a copy of the executable with the given catalogue beside it.
struct ProgramFolder {
    explicit ProgramFolder(const TempHome& home) : dir(home.Root() + "/program") {
        std::filesystem::create_directories(dir);
        std::filesystem::copy_file(TIVORA_EXECUTABLE, Executable());
    }
    std::string Executable() const { return dir + "/tivora"; }
    void WriteCatalogue(const std::string& bytes) const {
        testing_support::WriteFile(dir + "/tivora.cfg", bytes);
    }
    std::unique_ptr<QProcess> Start(const QString& traceFile = {}) const {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        if (!traceFile.isEmpty()) {
            environment.insert("TIVORA_STARTUP_TRACE", traceFile);
        }
        process->setProcessEnvironment(environment);
        process->start(QString::fromStdString(Executable()), {});
        EXPECT_TRUE(process->waitForStarted(5000));
        return process;
    }
    std::string dir;
};

std::string Catalogue(const std::string& manifestUrl, const std::string& registrationUrl) {
    using namespace config_fixtures;
    return File({MakeGame("Chess", 1), MakeGame("Keno"), MakeGame("Zeta", 1)},
                Texts({{"ManifestUrl", manifestUrl},
                       {"RegistrationUrl", registrationUrl},
                       {"DistributionId", "dist-9"}}));
}

TEST(Program, FirstRunRegistersAndAnOrderlyExitSavesEverything) {
    TempHome home;
    TestHttpServer server;
    server.Server().Post("/register", [](const httplib::Request&, httplib::Response& r) {
        r.set_content("OK", "text/plain");
    });
    server.Server().Get("/manifest.xml", [](const httplib::Request&, httplib::Response& r) {
        r.set_content(
            "<toolbar_manifest><product_version>1.0.10.0</product_version>"
            "<merchant_build>7</merchant_build><url>http://x.test/</url></toolbar_manifest>",
            "text/xml");
    });
    server.Start();
    ProgramFolder program(home);
    program.WriteCatalogue(Catalogue(server.Url("/manifest.xml"), server.Url("/register")));

    auto process = program.Start();
    auto posts = [&] {
        int count = 0;
        for (const auto& request : server.Requests()) {
            count += request.method == "POST";
        }
        return count;
    };
    ASSERT_TRUE(WaitFor([&] { return posts() == 1; }))
        << process->readAllStandardError().toStdString();
    // The server has it; the program saves once the answer is in.
    const std::string settingsFile = home.AppDataFolder() + "/tivora.sts";
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(settingsFile); }));
    process->terminate();
    ASSERT_TRUE(process->waitForFinished(15000));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    // A sanitizer's report ends the program with a status of its own; what it found is here.
    EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();

    // The update check came first, then the one registration.
    auto requests = server.Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/manifest.xml");
    EXPECT_EQ(requests[0].userAgent, "tivora");
    const auto& registration = requests[1];
    EXPECT_EQ(registration.path, "/register");
    std::smatch match;
    ASSERT_TRUE(
        std::regex_match(registration.body, match,
                         std::regex("action=reg&distribution=dist-9&unique_id=([0-9A-F]{32})")))
        << registration.body;
    const std::string uid = match[1];

    const std::string file = ReadFile(home.AppDataFolder() + "/tivora.sts");
    ASSERT_GT(file.size(), 8u);
    EXPECT_EQ(file.substr(0, 8), Bytes({1, 0, 0, 0, 4, 0, 0, 0}));
    // The favourites block holds the catalogue's marked games, then the window's defaults.
    const std::string favourites = Bytes({0, 0, 0, 0, 2, 0, 5}) + "Chess" + Bytes({4}) + "Zeta";
    EXPECT_EQ(file.substr(16, favourites.size()), favourites);
    const std::size_t window = 16 + favourites.size();
    EXPECT_EQ(file.substr(window, 32), Bytes({24, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,
                                              0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
    // The registration block: registered, details not sent, and the id that went out.
    const std::string tail = file.substr(file.size() - 36);
    EXPECT_EQ(tail.substr(0, 20),
              Bytes({28, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
    const std::string guid = tail.substr(20);
    auto hex = [](const std::string& bytes, bool reverse) {
        std::string out;
        const char* digits = "0123456789ABCDEF";
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(bytes[reverse ? bytes.size() - 1 - i : i]);
            out += digits[c >> 4];
            out += digits[c & 15];
        }
        return out;
    };
    // Stored as Data4, Data2, Data3, Data1; sent as Data1, Data2, Data3, Data4.
    EXPECT_EQ(hex(guid.substr(12, 4), true) + hex(guid.substr(8, 2), true) +
                  hex(guid.substr(10, 2), true) + hex(guid.substr(0, 8), false),
              uid);

    // A first run switched the start with the desktop on, naming this executable.
    const std::string entry = ReadFile(home.ConfigHome() + "/autostart/Tivora.desktop");
    EXPECT_EQ(DesktopEntry::ProgramOfEntry(entry), program.Executable());
}

TEST(Program, AskedForItWritesItsStartUpPhasesInOrder) {
    TempHome home;
    ProgramFolder program(home);
    // Nothing listens at these addresses: the worker's first round fails at once.
    program.WriteCatalogue(Catalogue("http://127.0.0.1:9/m", "http://127.0.0.1:9/r"));
    const std::string trace = home.Root() + "/trace";
    auto process = program.Start(QString::fromStdString(trace));
    const auto lines = [&] {
        std::ifstream file(trace);
        std::vector<std::pair<std::string, long long>> read;
        std::string name;
        long long stamp = 0;
        while (file >> name >> stamp) {
            read.emplace_back(name, stamp);
        }
        return read;
    };
    ASSERT_TRUE(WaitFor([&] { return !lines().empty() && lines().back().first == "services"; }))
        << process->readAllStandardError().toStdString();
    process->terminate();
    ASSERT_TRUE(process->waitForFinished(15000));

    const std::vector<std::string> phases{
        "main",   "application", "instance-lock", "fonts-and-class", "settings",    "window-object",
        "panels", "tray-icon",   "shown",         "created",         "first-paint", "services"};
    const auto written = lines();
    std::vector<std::string> names;
    for (std::size_t i = 0; i < written.size(); ++i) {
        names.push_back(written[i].first);
        if (i > 0) {
            EXPECT_GE(written[i].second, written[i - 1].second) << written[i].first;
        }
    }
    EXPECT_EQ(names, phases);
}

TEST(Program, SecondStartKeepsTheIdAndDoesNotRegisterAgain) {
    TempHome home;
    TestHttpServer server;
    server.Server().Post("/register", [](const httplib::Request&, httplib::Response& r) {
        r.set_content("OK", "text/plain");
    });
    server.Start();
    ProgramFolder program(home);
    program.WriteCatalogue(Catalogue(server.Url("/manifest.xml"), server.Url("/register")));
    for (int run = 0; run < 2; ++run) {
        auto process = program.Start();
        // The first run registers; the second only checks for updates.
        const std::size_t expected = run == 0 ? 2u : 3u;
        ASSERT_TRUE(WaitFor([&] { return server.Requests().size() >= expected; }));
        // The registration counts once its answer is in: the program then saves.
        ASSERT_TRUE(
            WaitFor([&] { return std::filesystem::exists(home.AppDataFolder() + "/tivora.sts"); }));
        process->terminate();
        ASSERT_TRUE(process->waitForFinished(15000));
    }
    int registrations = 0;
    for (const auto& request : server.Requests()) {
        registrations += request.path == "/register";
    }
    EXPECT_EQ(registrations, 1);
}

void ExpectConfigurationError(const std::string& catalogue, const std::string& message,
                              bool writeCatalogue = true) {
    TempHome home;
    ProgramFolder program(home);
    if (writeCatalogue) {
        program.WriteCatalogue(catalogue);
    }
    auto process = program.Start();
    const std::string line = "ERROR: Configuration error: " + message + "\n";
    ASSERT_TRUE(WaitFor([&] {
        return ReadFile(home.ErrorLogPath()).find(line) != std::string::npos;
    })) << ReadFile(home.ErrorLogPath());
    // The message box waits for the user; a terminate request ends it.
    EXPECT_EQ(process->state(), QProcess::Running);
    process->terminate();
    ASSERT_TRUE(process->waitForFinished(15000));
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), 0);
    EXPECT_FALSE(std::filesystem::exists(home.AppDataFolder() + "/tivora.sts"));
}

TEST(Program, MissingCatalogueEndsTheStartInTheConfigurationError) {
    ExpectConfigurationError("", "Games configuration file doesn't exist", false);
}

TEST(Program, TruncatedCatalogueEndsTheStartInTheConfigurationError) {
    using namespace config_fixtures;
    const std::string file = File({MakeGame("Chess")});
    const std::string picture = Png();
    ExpectConfigurationError(
        file.substr(0, file.size() - 10),
        "Wrong field zise (fieldId: 133; size: " + std::to_string(picture.size()) + ")");
}

TEST(Program, CatalogueForAnotherVersionEndsTheStartInTheConfigurationError) {
    using namespace config_fixtures;
    ExpectConfigurationError(File({MakeGame("Chess")}, Texts({{"ProductVersion", "1.0.11"}})),
                             "Wrong version in config: 1.0.11.0");
}

}  // namespace
