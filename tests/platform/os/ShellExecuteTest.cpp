#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTest>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/os/DesktopApplications.h"
#include "platform/os/DetachedProcess.h"
#include "platform/os/ShellExecute.h"
#include "support/ShellRecorder.h"
#include "support/TestEnvironment.h"

namespace {

using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::ShellRecorder;
using testing_support::TempHome;
using testing_support::WriteFile;

// Sets an environment variable for the life of the object.
using testing_support::ScopedEnv;

// A folder of fake programs to put on PATH.
std::string MakePrograms(const TempHome& home, std::initializer_list<const char*> names) {
    const std::string folder = home.Root() + "/bin";
    std::filesystem::create_directories(folder);
    for (const char* name : names) {
        const std::string path = folder + "/" + name;
        WriteFile(path, "#!/bin/sh\n");
        chmod(path.c_str(), 0755);
    }
    return folder;
}

TEST(BrowserCommand, TranslatesTheSwitchesForTheNamedBrowser) {
    ScopedEnv browser("TIVORA_BROWSER", STUB_BROWSER);
    using Args = std::vector<std::string>;
    auto full = BrowserCommand::ForParameters("-new -k http://g.example/play");
    ASSERT_TRUE(full.has_value());
    EXPECT_EQ(full->program, STUB_BROWSER);
    EXPECT_EQ(full->arguments, (Args{"--kiosk", "--new-window", "http://g.example/play"}));
    EXPECT_EQ(BrowserCommand::ForParameters("-new http://g.example/")->arguments,
              (Args{"--new-window", "http://g.example/"}));
    EXPECT_EQ(BrowserCommand::ForParameters("http://g.example/")->arguments,
              (Args{"http://g.example/"}));
    // Everything after the switches is one argument, whatever it holds.
    EXPECT_EQ(BrowserCommand::ForParameters("-new a b;c")->arguments,
              (Args{"--new-window", "a b;c"}));
}

TEST(BrowserCommand, ChromiumRunAsRootGoesWithoutItsSandbox) {
    TempHome home;
    unsetenv("TIVORA_BROWSER");
    ScopedEnv path("PATH", MakePrograms(home, {"chromium", "firefox"}));
    using Args = std::vector<std::string>;
    const Args chromium = BrowserCommand::ForParameters("-new http://g.example/")->arguments;
    if (geteuid() == 0) {
        EXPECT_EQ(chromium, (Args{"--no-sandbox", "--new-window", "http://g.example/"}));
    } else {
        EXPECT_EQ(chromium, (Args{"--new-window", "http://g.example/"}));
    }
    // Other browsers know no such switch.
    ScopedEnv firefox("TIVORA_BROWSER", "firefox");
    EXPECT_EQ(BrowserCommand::ForParameters("-new http://g.example/")->arguments,
              (Args{"--new-window", "http://g.example/"}));
}

TEST(BrowserCommand, AnAddressNeverBecomesAnOption) {
    ScopedEnv browser("TIVORA_BROWSER", STUB_BROWSER);
    for (const char* parameters :
         {"", "-new ", "-new -k ", "--kiosk-printing http://x/", "-new --user-data-dir=/tmp/x",
          "-k -renderer-cmd-prefix=sh", "-new-k http://x/"}) {
        EXPECT_EQ(BrowserCommand::ForParameters(parameters), std::nullopt) << parameters;
    }
}

TEST(BrowserCommand, FindsABrowserOnThePathElseTheDesktopOpener) {
    TempHome home;
    unsetenv("TIVORA_BROWSER");
    ScopedEnv path("PATH", MakePrograms(home, {"firefox", "xdg-open"}));
    auto firefox = BrowserCommand::ForParameters("-new -k http://g.example/");
    ASSERT_TRUE(firefox.has_value());
    EXPECT_EQ(firefox->program, home.Root() + "/bin/firefox");
    EXPECT_EQ(firefox->arguments.size(), 3u);

    // A named browser that is not there does not stop the search.
    ScopedEnv missing("TIVORA_BROWSER", home.Root() + "/nowhere/browser");
    EXPECT_EQ(BrowserCommand::ForParameters("http://g.example/")->program,
              home.Root() + "/bin/firefox");

    std::filesystem::remove(home.Root() + "/bin/firefox");
    auto opener = BrowserCommand::ForParameters("-new -k http://g.example/");
    ASSERT_TRUE(opener.has_value());
    EXPECT_EQ(opener->program, home.Root() + "/bin/xdg-open");
    EXPECT_EQ(opener->arguments, std::vector<std::string>{"http://g.example/"});

    std::filesystem::remove(home.Root() + "/bin/xdg-open");
    EXPECT_EQ(BrowserCommand::ForParameters("http://g.example/"), std::nullopt);
    EXPECT_FALSE(ShellExecute("open", "iexplore", "http://g.example/"));
}

// A desktop's applications and association files under a temporary home.
struct Desktop : TempHome {
    Desktop() : path("PATH", MakePrograms(*this, {"firefox-esr", "mybrowser", "xdg-open"})) {
        unsetenv("TIVORA_BROWSER");
        const std::string applications = DataHome() + "/applications/";
        std::filesystem::create_directories(applications + "vendor");
        auto entry = [&](const std::string& file, const std::string& lines) {
            WriteFile(applications + file, "[Desktop Entry]\nType=Application\nName=B\n" + lines);
        };
        // A program named by its path, or found on PATH.
        entry("firefox-esr.desktop",
              "Exec=" + Root() + "/bin/firefox-esr %u\nTryExec=firefox-esr\n");
        entry("my.desktop", "Exec=\"mybrowser\" --profile \"a b\" %U\n");
        entry("hidden.desktop", "Exec=mybrowser --hidden %u\nHidden=true\n");
        entry("gone.desktop", "Exec=mybrowser --gone %u\nTryExec=not-installed\n");
        entry("vendor/browser.desktop", "Exec=mybrowser --vendor\n");
    }
    ScopedEnv path;
    ScopedEnv desktop{"XDG_CURRENT_DESKTOP", "X-Test:XFCE"};
};

TEST(BrowserCommand, DefaultBrowserIsTheOneTheDesktopAssociatesWithWebAddresses) {
    using Args = std::vector<std::string>;
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> files;  // below the home
        Args expected;  // the program's name, then its arguments, for "-new -k http://g/"
    };
    const std::string https = "x-scheme-handler/https=";
    const Case cases[] = {
        {"the user's choice, a browser with known options",
         {{"config/mimeapps.list", "[Default Applications]\n" + https + "firefox-esr.desktop\n"}},
         {"firefox-esr", "--kiosk", "--new-window", "http://g/"}},
        {"entries hidden or not installed are passed over; any other gets the address alone",
         {{"config/mimeapps.list",
           "[Default Applications]\n" + https + "gone.desktop;hidden.desktop;my.desktop;\n"}},
         {"mybrowser", "--profile", "a b", "http://g/"}},
        {"the desktop's own file comes first",
         {{"config/mimeapps.list", "[Default Applications]\n" + https + "firefox-esr.desktop\n"},
          {"config/xfce-mimeapps.list", "[Default Applications]\n" + https + "my.desktop\n"}},
         {"mybrowser", "--profile", "a b", "http://g/"}},
        {"the user's choice before the system's",
         {{"system-config/mimeapps.list", "[Default Applications]\n" + https + "my.desktop\n"},
          {"config/mimeapps.list", "[Default Applications]\n" + https + "firefox-esr.desktop\n"}},
         {"firefox-esr", "--kiosk", "--new-window", "http://g/"}},
        {"an address of its own scheme",
         {{"config/mimeapps.list", "[Default Applications]\n" + https +
                                       "firefox-esr.desktop\nx-scheme-handler/http=my.desktop\n"}},
         {"mybrowser", "--profile", "a b", "http://g/"}},
        {"an added association, in a folder of its own",
         {{"system-config/mimeapps.list",
           "[Added Associations]\n" + https + "vendor-browser.desktop\n"}},
         {"mybrowser", "--vendor", "http://g/"}},
        {"the desktop's database, less what the user removed",
         {{"system-data/applications/mimeinfo.cache",
           "[MIME Cache]\n" + https + "firefox-esr.desktop;my.desktop;\n"},
          {"config/mimeapps.list", "[Removed Associations]\n" + https + "firefox-esr.desktop\n"}},
         {"mybrowser", "--profile", "a b", "http://g/"}},
        {"none at all: the desktop's opener",
         {{"config/mimeapps.list", "[Default Applications]\n" + https + "gone.desktop\n"}},
         {"xdg-open", "http://g/"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Desktop desktop;
        for (const auto& [file, content] : c.files) {
            const std::string path = desktop.Root() + "/" + file;
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            WriteFile(path, content);
        }
        const auto command = BrowserCommand::ForParameters("-new -k http://g/");
        ASSERT_TRUE(command.has_value());
        Args got{command->program.substr(command->program.rfind('/') + 1)};
        got.insert(got.end(), command->arguments.begin(), command->arguments.end());
        EXPECT_EQ(got, c.expected);
    }
}

TEST(BrowserCommand, OnlyTheNamedBrowserOutranksTheDesktopsChoice) {
    Desktop desktop;
    WriteFile(desktop.ConfigHome() + "/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/https=my.desktop\n");
    std::filesystem::create_directories(desktop.Root() + "/system-data/applications");
    ScopedEnv browser("TIVORA_BROWSER", STUB_BROWSER);
    EXPECT_EQ(BrowserCommand::ForParameters("-new https://g/")->program, STUB_BROWSER);
}

TEST(BrowserCommand, HostileAssociationFilesNeitherHangNorCount) {
    Desktop desktop;
    // A pipe where a file belongs would wait for a writer; an id of many dashes names many
    // folders it could stand for; neither is the user's choice.
    std::filesystem::create_directories(desktop.ConfigHome());
    std::filesystem::create_directories(desktop.SystemConfigDir());
    ASSERT_EQ(mkfifo((desktop.ConfigHome() + "/mimeapps.list").c_str(), 0600), 0);
    std::string dashes;
    for (int i = 0; i < 200; ++i) {
        dashes += "a-";
    }
    std::filesystem::create_directories(desktop.DataHome() + "/applications/a/a/a");
    WriteFile(desktop.SystemConfigDir() + "/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/https=" + dashes + "b.desktop\n");
    EXPECT_EQ(BrowserCommand::ForParameters("https://g/")->program,
              desktop.Root() + "/bin/xdg-open");
}

TEST(DesktopApplications, ExecLineBecomesTheCommandWithItsFieldCodesExpanded) {
    using Args = std::vector<std::string>;
    const Args targets{"--new-window", "https://g/"};
    struct Case {
        const char* exec;
        std::optional<Args> expected;
    };
    const Case cases[] = {
        {"browser %U", Args{"browser", "--new-window", "https://g/"}},
        {"browser --url=%u --x", Args{"browser", "--url=https://g/", "--x"}},
        {"browser -x", Args{"browser", "-x", "--new-window", "https://g/"}},
        {R"("/opt/my app/run" --name %c %i %k 100%% %d %u)",
         Args{"/opt/my app/run", "--name", "Web", "--icon", "web-icon", "/apps/web.desktop", "100%",
              "--new-window", "https://g/"}},
        // String escapes first (\s, \\), then the quoting of the arguments.
        {R"(browser\s"a \"q\" \\\\ \$HOME" %u)",
         Args{"browser", R"(a "q" \ $HOME)", "--new-window", "https://g/"}},
        {"browser \"open", std::nullopt},
        {R"(browser "\q")", std::nullopt},
        {"   ", std::nullopt},
        {"browser\\", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exec);
        const DesktopApplications::Entry entry{"web.desktop", "/apps/web.desktop", "Web",
                                               "web-icon", c.exec};
        EXPECT_EQ(DesktopApplications::CommandFor(entry, "https://g/", targets), c.expected);
    }
}

TEST(ShellExecute, StartsTheBrowserWithAnArgumentVectorAndNoShell) {
    TempHome home;
    const std::string output = home.Root() + "/arguments";
    const std::string marker = home.Root() + "/marker";
    ScopedEnv browser("TIVORA_BROWSER", STUB_BROWSER);
    ScopedEnv where("STUB_BROWSER_OUTPUT", output);
    const std::string address = "http://g.example/x';touch${IFS}" + marker + ";'$(touch " + marker +
                                ")`touch " + marker + "`";

    EXPECT_TRUE(ShellExecute("open", "iexplore", "-new -k " + address));

    ASSERT_TRUE(QTest::qWaitFor([&] { return FileExists(output); }, 10000));
    EXPECT_EQ(ReadFile(output), "--kiosk\n--new-window\n" + address + "\n");
    EXPECT_FALSE(FileExists(marker));
}

TEST(ShellExecute, OnlyOpensTheBrowser) {
    TempHome home;
    ScopedEnv browser("TIVORA_BROWSER", STUB_BROWSER);
    ScopedEnv where("STUB_BROWSER_OUTPUT", home.Root() + "/arguments");
    EXPECT_FALSE(ShellExecute("print", "iexplore", "http://g.example/"));
    EXPECT_FALSE(ShellExecute("open", "/bin/sh", "-c true"));
    EXPECT_FALSE(ShellExecute("open", "iexplore", "-new --no-sandbox"));
}

TEST(ShellExecute, HookAnswersInsteadOfStartingAnything) {
    ShellRecorder recorder;
    EXPECT_TRUE(ShellExecute("open", "iexplore", "-new http://g.example/", {}, SW_SHOW));
    // Set hands back the hook that it replaces.
    ShellExecuteHook::Hook* replaced = ShellExecuteHook::Set(nullptr);
    EXPECT_EQ(replaced, &recorder);
    ShellExecuteHook::Set(replaced);
    ASSERT_EQ(recorder.calls.size(), 1u);
    EXPECT_EQ(recorder.calls[0].operation, "open");
    EXPECT_EQ(recorder.calls[0].file, "iexplore");
    EXPECT_EQ(recorder.calls[0].parameters, "-new http://g.example/");
    EXPECT_EQ(recorder.calls[0].showCommand, SW_SHOW);
}

TEST(DetachedProcess, ChildThatEndsLeavesNoZombie) {
    auto pid = DetachedProcess::Start("/bin/true", {});
    ASSERT_TRUE(pid.has_value());
    // A zombie still answers signal 0; a collected child does not.
    EXPECT_TRUE(QTest::qWaitFor([&] { return kill(*pid, 0) != 0 && errno == ESRCH; }, 5000));
    EXPECT_EQ(DetachedProcess::Start("/nonexistent/program", {}), std::nullopt);
}

TEST(DetachedProcess, ChildRunsInASessionOfItsOwn) {
    auto pid = DetachedProcess::Start("/bin/sleep", {"30"});
    ASSERT_TRUE(pid.has_value());
    // /proc/PID/stat: "pid (comm) state ppid pgrp session ...".
    const std::string stat = ReadFile("/proc/" + std::to_string(*pid) + "/stat");
    kill(*pid, SIGKILL);
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string state;
    pid_t parent = 0;
    pid_t group = 0;
    pid_t session = 0;
    fields >> state >> parent >> group >> session;
    EXPECT_EQ(session, *pid);
    EXPECT_EQ(group, *pid);
}

}  // namespace
