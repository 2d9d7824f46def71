#include <gtest/gtest.h>

#include <QCoreApplication>
#include <mutex>
#include <thread>

#include "ConfigFixtures.h"
#include "config/GamesConfig.h"
#include "config/RegistrationSection.h"
#include "config/UpdateSection.h"
#include "config/WindowSection.h"
#include "services/AuxThread.h"
#include "services/RegistrationJobs.h"
#include "services/UpdateCheckJob.h"
#include "support/TestEnvironment.h"
#include "support/TestHttpServer.h"

namespace {

using testing_support::TempHome;
using testing_support::TestHttpServer;
using testing_support::TraceRecorder;

// A catalogue whose server addresses point at the test server (WebmasterVersion 9).
void LoadCatalogue(GamesConfig& config, const std::string& manifestUrl,
                   const std::string& registrationUrl) {
    using namespace config_fixtures;
    config.LoadGamesConfigData(
        File({MakeGame("Chess"), MakeGame("Go")}, Texts({{"ManifestUrl", manifestUrl},
                                                         {"RegistrationUrl", registrationUrl},
                                                         {"WebmasterVersion", "9"},
                                                         {"DistributionId", "D-1"}})));
}

std::string ManifestText(const std::string& version, const std::string& build) {
    return "<toolbar_manifest>\r\n<product_version>" + version +
           "</product_version>\r\n<merchant_build>" + build +
           "</merchant_build>\r\n<url>http://get.example/</url>\r\n<date>2030-01-02</date>\r\n"
           "<description>Better\r\nFaster</description>\r\n</toolbar_manifest>\r\n";
}

class RecordingListener : public UpdateListener {
public:
    void UpdateAvailable(const UpdateManifest& manifest) override { available.push_back(manifest); }
    void UpdateResult(int code) override { results.push_back(code); }
    std::vector<UpdateManifest> available;
    std::vector<int> results;
};

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        server.Server().Get("/manifest.xml", [this](const httplib::Request&, httplib::Response& r) {
            std::lock_guard lock(mutex);
            r.status = status;
            r.set_content(manifest, "text/xml");
        });
        server.Start();
        LoadCatalogue(config, server.Url("/manifest.xml"), server.Url("/register"));
        job.SetListener(&listener);
    }
    void Serve(const std::string& text, int code = 200) {
        std::lock_guard lock(mutex);
        manifest = text;
        status = code;
    }
    int CheckAgainstOwnVersion(const std::string& version, const std::string& build) {
        Serve(ManifestText(version, build));
        UpdateManifest found;
        job.compareWithOwnVersion = true;
        return job.Check(found);
    }

    TempHome home;
    std::mutex mutex;
    std::string manifest;
    int status = 200;
    // After what it serves, so that its thread has ended before that goes.
    TestHttpServer server;
    GamesConfig config;
    UpdateSection section;
    RecordingListener listener;
    UpdateCheckJob job{config, section};
};

// The running program is 1.0.10.0 with build 9.
TEST_F(UpdateCheck, VersionsCompareComponentByComponentAsNumbers) {
    EXPECT_EQ(CheckAgainstOwnVersion("1.0.10.1", "0"), UpdateCheckJob::kNewer);
    EXPECT_EQ(CheckAgainstOwnVersion("1.0.9.99", "100"), UpdateCheckJob::kNotNewer);
    EXPECT_EQ(CheckAgainstOwnVersion("1.0.11", "0"), UpdateCheckJob::kNewer);  // 1.0.11.0
    EXPECT_EQ(CheckAgainstOwnVersion("2.0", "0"), UpdateCheckJob::kNewer);
    EXPECT_EQ(CheckAgainstOwnVersion("1.0.10b.5", "99"), UpdateCheckJob::kNotNewer);  // 1.0.0.0
}

TEST_F(UpdateCheck, SameVersionComparesTheBuild) {
    EXPECT_EQ(CheckAgainstOwnVersion("1.0.10.0", "15"), UpdateCheckJob::kNewer);
    EXPECT_EQ(CheckAgainstOwnVersion("1.0.10.0", "8"), UpdateCheckJob::kNotNewer);
    EXPECT_EQ(CheckAgainstOwnVersion("1.0.10.0", "2147483648"), UpdateCheckJob::kNewer);
    TraceRecorder traces;
    EXPECT_EQ(CheckAgainstOwnVersion("1.0.10.0", "9"), UpdateCheckJob::kNotNewer);
    EXPECT_TRUE(traces.Contains("Versions are equals"));
}

TEST_F(UpdateCheck, AnnouncedUpdateIsTheReferenceUnlessAskedToCompareWithOwn) {
    section.SetUpdateManifest({"1.2.0.9", "5", "", "http://get.example/", ""});
    UpdateManifest found;
    Serve(ManifestText("1.2.0.9", "5"));
    EXPECT_EQ(job.Check(found), UpdateCheckJob::kNotNewer);
    Serve(ManifestText("1.2.0.10", "0"));  // numbers, not text: 10 > 9
    EXPECT_EQ(job.Check(found), UpdateCheckJob::kNewer);
    Serve(ManifestText("1.2.0.9", "6"));
    EXPECT_EQ(job.Check(found), UpdateCheckJob::kNewer);
    // "Check Updates" compares with the running program: the same release is newer again.
    Serve(ManifestText("1.2.0.9", "5"));
    job.compareWithOwnVersion = true;
    EXPECT_EQ(job.Check(found), UpdateCheckJob::kNewer);
}

TEST_F(UpdateCheck, UnreadableManifestsAreCodeFour) {
    UpdateManifest found;
    Serve("");
    EXPECT_EQ(job.Check(found), UpdateCheckJob::kUnreadable);
    Serve("<html>Not found</html>", 404);  // an error page is only text that does not parse
    EXPECT_EQ(job.Check(found), UpdateCheckJob::kUnreadable);
    Serve(
        "<merchant_build>1</merchant_build><url>u</url><toolbar_manifest>"
        "</product_version>2.0<product_version>");
    EXPECT_EQ(job.Check(found), UpdateCheckJob::kUnreadable);
}

TEST_F(UpdateCheck, ValuesSpreadOverLinesStillParse) {
    Serve(
        "<toolbar_manifest>\n<product_version>\n2.0.\n0.0\n</product_version>\n"
        "<merchant_build>\n1\n</merchant_build><url>\nhttp://a.example/\n</url>\n");
    UpdateManifest found;
    EXPECT_EQ(job.Check(found), UpdateCheckJob::kNewer);
    EXPECT_EQ(found.productVersion, "2.0.0.0");
    EXPECT_EQ(found.url, "http://a.example/");
}

TEST_F(UpdateCheck, NoAddressOrNoServerIsCodeThree) {
    UpdateManifest found;
    GamesConfig unreachable;
    LoadCatalogue(unreachable,
                  "http://127.0.0.1:" + std::to_string(testing_support::UnusedPort()) + "/m",
                  "http://127.0.0.1/register");
    UpdateCheckJob offline(unreachable, section);
    TraceRecorder traces;
    EXPECT_EQ(offline.Check(found), UpdateCheckJob::kNotDownloaded);
    bool connectionError = false;
    for (const std::string& text : traces.Texts()) {
        connectionError |= text.rfind("Updater: Internet connection error: ", 0) == 0;
    }
    EXPECT_TRUE(connectionError);

    // A loaded catalogue always has the address; one that holds no texts has none.
    GamesConfig noTexts;
    UpdateCheckJob noAddress(noTexts, section);
    EXPECT_EQ(noAddress.Check(found), UpdateCheckJob::kNotDownloaded);
    EXPECT_TRUE(traces.Contains("Manifest url is empty"));
}

TEST_F(UpdateCheck, ListenerHearsOfNewReleasesAlwaysAndOfTheRestOnRequest) {
    Serve(ManifestText("3.0.0.0", "1"));
    job.Run();
    ASSERT_EQ(listener.available.size(), 1u);
    EXPECT_EQ(listener.available[0], (UpdateManifest{"3.0.0.0", "1", "Better\rFaster",
                                                     "http://get.example/", "2030-01-02"}));
    Serve(ManifestText("1.0.10.0", "9"));
    job.Run();  // not newer, nobody asked: silence
    EXPECT_TRUE(listener.results.empty());
    job.RequestRun(true, true);
    EXPECT_TRUE(job.runNow);
    job.Run();
    Serve("garbage");
    job.RequestRun(true, true);
    job.Run();
    EXPECT_EQ(listener.results,
              (std::vector<int>{UpdateCheckJob::kNotNewer, UpdateCheckJob::kUnreadable}));
    // The options are cleared after every run.
    EXPECT_FALSE(job.compareWithOwnVersion);
    EXPECT_FALSE(job.reportEveryOutcome);
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        server.Server().Post("/register", [this](const httplib::Request&, httplib::Response& r) {
            std::lock_guard lock(mutex);
            r.status = status;
        });
        server.Start();
        LoadCatalogue(config, server.Url("/manifest.xml"), server.Url("/register"));
    }
    void Answer(int code) {
        std::lock_guard lock(mutex);
        status = code;
    }
    std::vector<std::string> Bodies() const {
        std::vector<std::string> bodies;
        for (const auto& request : server.Requests()) {
            bodies.push_back(request.body);
        }
        return bodies;
    }

    TempHome home;
    TestHttpServer server;
    std::mutex mutex;
    int status = 500;
    GamesConfig config;
    RegistrationSection section;
};

TEST_F(Registration, ScheduleOverTwentyTwoFailedRunsThenSuccess) {
    RegistrationJob job(config, section);
    std::vector<int> periods;
    for (int run = 0; run < 22; ++run) {
        job.Run();
        periods.push_back(job.period);
    }
    // Every two minutes for twenty runs, then hourly.
    for (int run = 0; run < 20; ++run) {
        EXPECT_EQ(periods[run], 120) << run;
    }
    EXPECT_EQ(periods[20], 3600);
    EXPECT_EQ(periods[21], 3600);
    EXPECT_EQ(server.Requests().size(), 22u);
    EXPECT_EQ(section.registered, 0);

    Answer(200);
    job.Run();
    EXPECT_EQ(section.registered, 1);
    EXPECT_EQ(job.period, 0);
    job.Run();  // registered: nothing more goes out
    EXPECT_EQ(server.Requests().size(), 23u);
}

TEST_F(Registration, BodyCarriesTheDistributionAndTheIdWithoutBraces) {
    Answer(200);
    section.SetApplicationUid("{0123ABCD-4567-89EF-0123-456789ABCDEF}");
    RegistrationJob job(config, section);
    job.Run();
    EXPECT_EQ(Bodies(),
              std::vector<std::string>{
                  "action=reg&distribution=D-1&unique_id=0123ABCD456789EF0123456789ABCDEF"});
}

TEST_F(Registration, AMissingIdIsMadeFirst) {
    Answer(200);
    RegistrationJob job(config, section);
    job.Run();
    EXPECT_TRUE(section.HasApplicationUid());
    EXPECT_EQ(Bodies()[0].substr(Bodies()[0].find("unique_id=") + 10),
              UidForServer(section.ApplicationUid()));
}

TEST_F(Registration, SuccessHandsTheSaveToTheUserInterfaceThread) {
    Answer(200);
    SettingsStorage storage({&section});
    std::vector<std::thread::id> savedOn;
    storage.SetBeforeReplaceHook(
        [&](const std::string&) { savedOn.push_back(std::this_thread::get_id()); });
    RegistrationJob job(config, section);
    std::thread([&] { job.Run(); }).join();
    EXPECT_TRUE(savedOn.empty());  // not written by the worker
    ASSERT_TRUE(testing_support::WaitFor([&] { return !savedOn.empty(); }));
    EXPECT_EQ(savedOn, std::vector{std::this_thread::get_id()});
}

TEST_F(Registration, UserInfoWaitsForTheRegistrationAndGoesOutOnce) {
    Answer(200);
    UserInfoJob job(config, section);
    section.SetUserInfo("Tom & Jerry", "");
    job.Run();  // not registered yet
    EXPECT_TRUE(server.Requests().empty());
    section.registered = 1;
    section.SetApplicationUid("{0123ABCD-4567-89EF-0123-456789ABCDEF}");
    job.Run();
    job.Run();  // sent: not again
    EXPECT_EQ(Bodies(), std::vector<std::string>{"action=info&email=&name=Tom%20%26%20Jerry&"
                                                 "unique_id=0123ABCD456789EF0123456789ABCDEF"});
    EXPECT_EQ(section.userInfoSent, 1);
}

TEST_F(Registration, UserInfoNeedsDetailsAndAnId) {
    Answer(200);
    UserInfoJob job(config, section);
    section.registered = 1;
    job.Run();  // no details
    section.SetUserInfo("", "ann@example.test");
    TraceRecorder traces;
    job.Run();  // no id
    EXPECT_TRUE(traces.Contains("Registration code is empty"));
    EXPECT_TRUE(server.Requests().empty());
    Answer(500);
    section.SetApplicationUid("{0123ABCD-4567-89EF-0123-456789ABCDEF}");
    job.Run();
    EXPECT_EQ(section.userInfoSent, 0);
    EXPECT_TRUE(traces.Contains("User information sending is failed"));
}

// The worker registers again and again while the user changes the favourites and the window;
// every save is the user-interface thread's, and the file ends with the last of both. Run in
// the thread-sanitizer build, this also shows that no data is shared without order.
TEST(SettingsWriters, OnlyTheUserInterfaceThreadWritesWhileTheWorkerRegisters) {
    using namespace std::chrono_literals;
    TempHome home;
    TestHttpServer server;
    server.Server().Post("/register",
                         [](const httplib::Request&, httplib::Response& r) { r.status = 200; });
    server.Start();
    GamesConfig config;
    LoadCatalogue(config, server.Url("/manifest.xml"), server.Url("/register"));
    WindowSection window;
    RegistrationSection registration;
    SettingsStorage storage({&config, &window, &registration});
    const std::thread::id ui = std::this_thread::get_id();
    std::atomic<int> saves{0};
    std::atomic<int> foreignSaves{0};
    storage.SetBeforeReplaceHook([&](const std::string&) {
        ++saves;
        foreignSaves += std::this_thread::get_id() != ui ? 1 : 0;
    });
    RegistrationJob job(config, registration);
    job.period = 0;  // runs only when asked to, once a round
    AuxThread worker;
    worker.Start({&job});

    constexpr int kRounds = 6;
    for (int round = 1; round <= kRounds; ++round) {
        registration.registered = 0;  // so that the worker registers, and saves, once more
        job.RequestRun();
        config.SetFavoritesAndSave(round % 2 == 0 ? std::vector<std::string>{"Go"}
                                                  : std::vector<std::string>{"Chess"});
        window.left = round;
        window.top = -round;
        window.SetAlwaysOnTop(round % 2);
        window.RequestSave();
        // Registered once more (only the worker sets the flag): the round is over.
        ASSERT_TRUE(testing_support::WaitFor([&] { return registration.registered == 1; }));
    }
    ASSERT_TRUE(worker.Stop(30s));
    QCoreApplication::processEvents();  // the worker's last save requests
    EXPECT_EQ(foreignSaves, 0);
    // Two saves of the user's and one of the worker's a round: none was dropped for meeting
    // another, as saves on two threads at once would be.
    EXPECT_EQ(saves, 3 * kRounds);

    GamesConfig readConfig;
    LoadCatalogue(readConfig, server.Url("/manifest.xml"), server.Url("/register"));
    WindowSection readWindow;
    RegistrationSection readRegistration;
    SettingsStorage read({&readConfig, &readWindow, &readRegistration});
    read.ReadSettingsFile();
    EXPECT_EQ(config_fixtures::FavoriteNames(readConfig), std::vector<std::string>{"Go"});
    EXPECT_EQ(readWindow.left, kRounds);
    EXPECT_EQ(readWindow.top, -kRounds);
    EXPECT_EQ(readWindow.AlwaysOnTop(), 0);
    EXPECT_EQ(readRegistration.registered, 1);
}

TEST(RegistrationOffline, EmptyAddressSendsNothingAndTheJobKeepsTrying) {
    TempHome home;
    GamesConfig config;  // no texts: no registration address
    RegistrationSection section;
    RegistrationJob job(config, section);
    TraceRecorder traces;
    job.Run();
    EXPECT_TRUE(traces.Contains("Registration url is empty"));
    EXPECT_TRUE(traces.Contains("Registration failed"));
    EXPECT_EQ(job.period, 120);
    EXPECT_EQ(section.registered, 0);
}

}  // namespace
