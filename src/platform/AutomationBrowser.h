#pragma once

#include <sys/types.h>

#include <QUrl>
#include <optional>
#include <string>
#include <vector>

class DevToolsConnection;

// The browser that controlled windows live in: Chromium in a process of its own with a private
// profile folder, its DevTools endpoint on a loopback port that it picks itself and writes to
// "DevToolsActivePort" in the profile folder. One such browser serves every controlled window;
// it is started when none runs on the profile and reused when one does. It keeps running when
// the program ends, so that its windows stay open.
namespace AutomationBrowser {

struct Options {
    std::string profileDir;                   // made with mode 0700 when missing
    std::vector<std::string> extraArguments;  // passed before the profile's own arguments
    int startTimeoutMs = 15000;               // for the browser to announce its port
    int connectTimeoutMs = 5000;
};

// The Chromium program on $PATH (chromium, chromium-browser, google-chrome,
// google-chrome-stable), or nullopt.
std::optional<std::string> FindProgram();

// The browser endpoint announced in profileDir, or nullopt when there is none or it is not
// well formed (a port, a line break and a path that starts with "/devtools/browser/").
std::optional<QUrl> ReadEndpoint(const std::string& profileDir);

// The arguments the browser is started with for this profile.
std::vector<std::string> StartArguments(const Options& options);

// Opens connection to the profile's browser, starting one when none answers. startedPid, when
// given, receives the id of a browser started by this call (0 when one was reused).
bool Connect(DevToolsConnection& connection, const Options& options, pid_t* startedPid = nullptr);

}  // namespace AutomationBrowser
