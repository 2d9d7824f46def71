#include "platform/os/ShellExecute.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/os/DetachedProcess.h"

namespace {

ShellExecuteHook::Hook* g_hook = nullptr;

constexpr const char* kBrowserVariable = "TIVORA_BROWSER";
constexpr const char* kKnownBrowsers[] = {"chromium", "google-chrome", "firefox"};

struct Parameters {
    bool newWindow = false;
    bool fullScreen = false;
    std::string address;
};

// The switches come first, each followed by one blank; everything after them is the address,
// taken whole.
Parameters Split(const std::string& text) {
    Parameters parameters;
    std::string_view rest = text;
    for (;;) {
        if (rest.starts_with("-new ")) {
            parameters.newWindow = true;
            rest.remove_prefix(5);
        } else if (rest.starts_with("-k ")) {
            parameters.fullScreen = true;
            rest.remove_prefix(3);
        } else {
            break;
        }
    }
    parameters.address = std::string(rest);
    return parameters;
}

std::optional<std::string> FindBrowser() {
    if (const char* named = std::getenv(kBrowserVariable); named != nullptr && *named != '\0') {
        if (auto path = DetachedProcess::FindExecutable(named)) {
            return path;
        }
    }
    for (const char* name : kKnownBrowsers) {
        if (auto path = DetachedProcess::FindExecutable(name)) {
            return path;
        }
    }
    return std::nullopt;
}

// Chromium-family browsers refuse to start as root unless their sandbox is switched off.
bool NeedsNoSandbox(const std::string& program) {
    const std::string name = program.substr(program.find_last_of('/') + 1);
    return geteuid() == 0 &&
           (name.rfind("chromium", 0) == 0 || name.rfind("google-chrome", 0) == 0);
}

}  // namespace

namespace BrowserCommand {

std::optional<Command> ForParameters(const std::string& parameters) {
    Parameters split = Split(parameters);
    if (split.address.empty() || split.address.front() == '-') {
        return std::nullopt;
    }
    Command command;
    if (auto browser = FindBrowser()) {
        command.program = *browser;
        if (NeedsNoSandbox(command.program)) {
            command.arguments.push_back("--no-sandbox");
        }
        // Full screen first: some browsers take the word after --new-window as its address.
        if (split.fullScreen) {
            command.arguments.push_back("--kiosk");
        }
        if (split.newWindow) {
            command.arguments.push_back("--new-window");
        }
    } else if (auto opener = DetachedProcess::FindExecutable("xdg-open")) {
        command.program = *opener;
    } else {
        return std::nullopt;
    }
    command.arguments.push_back(split.address);
    return command;
}

}  // namespace BrowserCommand

namespace ShellExecuteHook {

Hook* Set(Hook* hook) {
    Hook* previous = g_hook;
    g_hook = hook;
    return previous;
}

}  // namespace ShellExecuteHook

bool ShellExecute(const std::string& operation, const std::string& file,
                  const std::string& parameters, const std::string& directory, int showCommand) {
    if (g_hook != nullptr) {
        return g_hook->Intercept({operation, file, parameters, directory, showCommand});
    }
    if ((operation != "open" && !operation.empty()) || file != "iexplore") {
        return false;
    }
    auto command = BrowserCommand::ForParameters(parameters);
    return command && DetachedProcess::Start(command->program, command->arguments).has_value();
}
