#include "platform/os/ShellExecute.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/os/DesktopApplications.h"
#include "platform/os/DetachedProcess.h"

namespace {

ShellExecuteHook::Hook* g_hook = nullptr;

constexpr const char* kBrowserVariable = "TIVORA_BROWSER";
// Where the desktop names no browser, the first of these on $PATH.
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

// Browsers whose options for a new window and for full screen are known, by the name of their
// program ("google-chrome-stable" is a google-chrome).
enum class Family { Unknown, Chromium, Firefox };

Family FamilyOf(const std::string& program) {
    static constexpr std::pair<const char*, Family> kFamilies[] = {
        {"chromium", Family::Chromium},       {"chromium-browser", Family::Chromium},
        {"google-chrome", Family::Chromium},  {"brave-browser", Family::Chromium},
        {"microsoft-edge", Family::Chromium}, {"vivaldi", Family::Chromium},
        {"firefox", Family::Firefox},         {"librewolf", Family::Firefox},
    };
    const std::string name = program.substr(program.find_last_of('/') + 1);
    for (const auto& [prefix, family] : kFamilies) {
        const std::string_view known(prefix);
        if (name == known || (name.starts_with(known) && name[known.size()] == '-')) {
            return family;
        }
    }
    return Family::Unknown;
}

// What goes before the address: the switches translated into the browser's options.
std::vector<std::string> Switches(const std::string& program, const Parameters& split) {
    std::vector<std::string> switches;
    // Chromium-family browsers refuse to start as root unless their sandbox is switched off.
    if (geteuid() == 0 && FamilyOf(program) == Family::Chromium) {
        switches.push_back("--no-sandbox");
    }
    // Full screen first: some browsers take the word after --new-window as its address.
    if (split.fullScreen) {
        switches.push_back("--kiosk");
    }
    if (split.newWindow) {
        switches.push_back("--new-window");
    }
    return switches;
}

BrowserCommand::Command WithSwitches(const std::string& program, const Parameters& split) {
    std::vector<std::string> arguments = Switches(program, split);
    arguments.push_back(split.address);
    return {program, std::move(arguments)};
}

// The desktop's default web browser for the address, as the XDG MIME associations name it: one
// whose options are known gets the switches, any other its entry's Exec line with the address.
std::optional<BrowserCommand::Command> DefaultBrowser(const Parameters& split) {
    std::vector<std::string> mimeTypes;
    if (split.address.starts_with("http:")) {
        mimeTypes.push_back("x-scheme-handler/http");
    }
    mimeTypes.push_back("x-scheme-handler/https");
    mimeTypes.push_back("x-scheme-handler/http");
    for (const std::string& mimeType : mimeTypes) {
        const std::optional<DesktopApplications::Entry> entry =
            DesktopApplications::DefaultFor(mimeType);
        const auto exec = entry ? DesktopApplications::SplitExec(entry->exec) : std::nullopt;
        const auto program = exec ? DetachedProcess::FindExecutable(exec->front()) : std::nullopt;
        if (!program) {
            continue;
        }
        std::vector<std::string> targets;
        if (FamilyOf(*program) != Family::Unknown) {
            targets = Switches(*program, split);
        }
        targets.push_back(split.address);
        std::optional<std::vector<std::string>> command =
            DesktopApplications::CommandFor(*entry, split.address, targets);
        if (!command) {
            continue;
        }
        return BrowserCommand::Command{
            *program, std::vector<std::string>(command->begin() + 1, command->end())};
    }
    return std::nullopt;
}

}  // namespace

namespace BrowserCommand {

std::optional<Command> ForParameters(const std::string& parameters) {
    Parameters split = Split(parameters);
    if (split.address.empty() || split.address.front() == '-') {
        return std::nullopt;
    }
    // The browser named for this program takes the switches, whatever it is.
    if (const char* named = std::getenv(kBrowserVariable); named != nullptr && *named != '\0') {
        if (auto program = DetachedProcess::FindExecutable(named)) {
            return WithSwitches(*program, split);
        }
    }
    if (auto command = DefaultBrowser(split)) {
        return command;
    }
    for (const char* name : kKnownBrowsers) {
        if (auto program = DetachedProcess::FindExecutable(name)) {
            return WithSwitches(*program, split);
        }
    }
    if (auto opener = DetachedProcess::FindExecutable("xdg-open")) {
        return Command{*opener, {split.address}};
    }
    return std::nullopt;
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
